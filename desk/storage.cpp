#include "storage.h"

#include "postgres_storage.h"
#include "sqlite_storage.h"

namespace omni::desk {

int64_t StoredBytes(const NewReport& report) {
    return static_cast<int64_t>(report.xml.size() + report.ieAddons.size() + report.ticket.size() + report.lang.size());
}

std::unique_ptr<Storage> OpenStorage(const std::string& address) {
    if (address.rfind("postgresql://", 0) == 0 || address.rfind("postgres://", 0) == 0)
        return std::make_unique<PostgresStorage>(address);
    return std::make_unique<SqliteStorage>(address);
}

}  // namespace omni::desk
