// A whole diagnosis on request of the page: addresses, preconditions, the XML parser, the list
// files of web mode, the run and the report, delivered through the event.
#pragma once

#include <string>

#include "control/control_state.h"

namespace omni {

class CTotalInfo;

// What the flow needs from the page's side.
class RetrieveUi {
public:
    virtual ~RetrieveUi() = default;
    // The question before installing the XML parser: kOk for OK, kUserCanceled for Cancel, and
    // kHostNotAllowed, unasked, for a page without a web origin that the host policy does not allow.
    virtual int ConfirmParserInstall() = 0;
    // Whether web mode may fetch from this server for the page (the host policy may hold it to the page's
    // own origin).
    virtual bool ServerAllowed(const std::string& serverUrl) = 0;
    // OnRetrieveComplete with the report, or with the empty report when the flow stopped early.
    virtual void Deliver(const std::string& xml) = 0;
};

inline constexpr char kEmptyReport[] = "<?xml version=\"1.0\" ?><diagnosis></diagnosis>";

// 0 after a completed diagnosis, otherwise the code of the step that stopped it.
int RunRetrieve(ControlState& state, CTotalInfo& info, RetrieveUi& ui);

}  // namespace omni
