// The PostgreSQL schema: one script per version, run by the first service to open an older database.
#pragma once

#include <pqxx/transaction>

namespace omni::desk {

// Brings the database to this service's schema version within the transaction (under an advisory lock,
// so two services starting at once migrate it once); throws for a database newer than the service.
void MigratePostgres(pqxx::work& work);

}  // namespace omni::desk
