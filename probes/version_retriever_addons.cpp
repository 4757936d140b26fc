// Add-on switch operations of the façade.
#include "core/result_codes.h"
#include "probes/flash_player_block_check.h"
#include "probes/marklet_block_check.h"
#include "probes/pre_approved_controls.h"
#include "probes/version_retriever.h"

namespace omni {

int CVersionRetriever::CheckFlashBlocked(int& blocked) {
    blocked = CFlashPlayerBlockCheck().IsBlocked() == 1 ? 1 : 0;
    return 0;
}

int CVersionRetriever::UnblockFlash() {
    return CFlashPlayerBlockCheck().Unblock() == 0 ? kOk : kRegistryWriteFailed;
}

int CVersionRetriever::CheckMarkletBlocked(int& blocked) {
    blocked = CMarkletBlockCheck().IsBlocked() == 1 ? 1 : 0;
    return 0;
}

int CVersionRetriever::UnblockMarklet() {
    return CMarkletBlockCheck().Unblock() == 0 ? kOk : kRegistryWriteFailed;
}

// The page gets a result code of the table, never the system's own status of a key that could not be made.
int CVersionRetriever::AddPreApprovedControls() {
    int status = omni::AddPreApprovedControls(registry_);
    return status > 0 ? kRegistryWriteFailed : status;
}

}  // namespace omni
