// Internet Explorer's own pop-up blocker switch, and the toolbars installed in the browser
// (any of which may block pop-ups by itself).
#pragma once

#include <string>
#include <vector>

namespace omni {

inline constexpr char kNewWindowsKey[] = "Software\\Microsoft\\Internet Explorer\\New Windows";
inline constexpr char kPopupMgrValue[] = "PopupMgr";
inline constexpr char kToolbarKey[] = "SOFTWARE\\Microsoft\\Internet Explorer\\Toolbar";

struct ToolbarEntry {
    std::string path;  // the server file as the registry names it
    std::string company;
    std::string description;
};

class CPopupDetector {
public:
    virtual ~CPopupDetector();

    // 1 on, 0 off; a missing key or value counts as on.
    int GetPopupBlockerState();
    // Writes "PopupMgr" = "no" when the key exists; never creates it. 0, -22 (no key), -23.
    int TurnOffPopupBlocker();
    // Rebuilds the list from the registry; the number of entries.
    int EnumerateToolbars();
    // Entry 0..count-1 of the last enumeration; null outside that range.
    const ToolbarEntry* GetToolbar(int index) const;
    int GetToolbarCount() const { return static_cast<int>(toolbars_.size()); }

private:
    std::vector<ToolbarEntry> toolbars_;
};

// One line per toolbar, "n: path // company // description" ending in the escaped "%0A%0D".
std::string FormatToolbarList(const CPopupDetector& detector);

}  // namespace omni
