#include "probes/flash_player_block_check.h"

namespace omni {

CFlashPlayerBlockCheck::CFlashPlayerBlockCheck() { SetIdentifiers({kShockwaveFlashClsid}); }

}  // namespace omni
