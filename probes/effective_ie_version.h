// The Internet Explorer version the report shows: IE 10 and later keep 9.10.x or 9.11.x in
// "Version" and their own version in "svcVersion".
#pragma once

#include "core/version.h"

namespace omni {

// "Version", or the service version when "Version" is at least 9.10.0.0 and the service version
// could be read.
Version ChooseEffectiveIEVersion(const Version& version, bool serviceVersionRead, const Version& serviceVersion);

}  // namespace omni
