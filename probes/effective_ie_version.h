// The Internet Explorer version the report shows: IE 10 and later keep 9.10.x or 9.11.x in
// "Version" and their own version in "svcVersion".
#pragma once

#include "probes/version.h"
#include "probes/version_retriever.h"

namespace omni {

// "Version", or the service version when "Version" is at least 9.10.0.0 and the service version
// could be read.
Version ChooseEffectiveIEVersion(const Version& version, bool serviceVersionRead, const Version& serviceVersion);

// Reads both values; the status is that of reading "Version" (0, -22, -21). On failure the output
// is left as it was.
int RetrieveEffectiveIEVersion(CVersionRetriever& retriever, Version& version);

}  // namespace omni
