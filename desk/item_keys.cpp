#include "item_keys.h"

#include <strings.h>

#include <algorithm>
#include <iterator>
#include <regex>
#include <set>

namespace omni::desk {

namespace {

constexpr char kBasic[] = "basic";
constexpr char kSettings[] = "etcchecklist";

// The four items of the basic group, always in this order.
const char* const kBasicRules[] = {"os", "ie", "wmp", "flash"};

struct SettingsRule {
    const char* name;
    const char* repairKey;  // the param of its Modify repair, which the control writes on every grade but one
};

// The settings rows in the order the control writes them.
const SettingsRule kSettingsRules[] = {
    {"flash-security", "FlashSecure"},
    {"ie-flash", "IeFlash"},
    {"ie-marklet", "IeMarklet"},
    {"popup", "IePopop"},
    {"status-bar-script", "AllowStatusbarModifyByScript"},  // IE 7 and later
    {"software-rendering", "UseSWRender"},                 // IE 10 and later
    {"ie-32bit-tabs", "EnabledIEWin32In64OS"},             // IE 9 and later on 64-bit Windows
    {"wmp-registry", "WMP10SRS"},
    {"wmp-network", "WMPNPOption"},                        // no repair key when it is fine
    {"wmp-seeking", "WMP11AllowApproximateSeeking"},
};
constexpr int kStatusBar = 4, kSoftwareRendering = 5, kTabs = 6;

// The browser's generation, as far as the rows depend on it.
enum class Ie { Unknown, Before7, From7To8, Nine, From10 };

struct RowSet {
    std::vector<int> rows;
    std::vector<Ie> browsers;  // the generations that write these rows
};

// Every set of rows the control writes: the first four and the last three always, the others by the browser.
const RowSet kRowSets[] = {
    {{0, 1, 2, 3, 7, 8, 9}, {Ie::Before7}},
    {{0, 1, 2, 3, kStatusBar, 7, 8, 9}, {Ie::From7To8, Ie::Nine}},
    {{0, 1, 2, 3, kStatusBar, kTabs, 7, 8, 9}, {Ie::Nine}},
    {{0, 1, 2, 3, kStatusBar, kSoftwareRendering, 7, 8, 9}, {Ie::From10}},
    {{0, 1, 2, 3, kStatusBar, kSoftwareRendering, kTabs, 7, 8, 9}, {Ie::From10}},
};

// From the browser item's "Version(11.0.9600.18376)" ("버전(...)" in Korean). The browser gives 10 and later
// as 9.10 and up where it keeps no service version.
Ie BrowserOf(const std::string& state) {
    static const std::regex kVersion("\\(([0-9]{1,5})\\.([0-9]{1,5})");
    std::smatch m;
    if (!std::regex_search(state, m, kVersion)) return Ie::Unknown;
    const int major = std::stoi(m[1]), minor = std::stoi(m[2]);
    if (major > 9 || (major == 9 && minor >= 10)) return Ie::From10;
    if (major == 9) return Ie::Nine;
    return major >= 7 ? Ie::From7To8 : Ie::Before7;
}

// The settings row that an item's repair names, or -1.
int RuleOfRepair(const StoredItem& item) {
    if (strcasecmp(item.method.c_str(), "Modify") != 0) return -1;
    for (int row = 0; row < static_cast<int>(std::size(kSettingsRules)); ++row)
        if (strcasecmp(item.param.c_str(), kSettingsRules[row].repairKey) == 0) return row;
    return -1;
}

std::string SubjectKey(const StoredItem& item) { return item.group + "/subject:" + item.subject; }

void KeySettings(std::vector<StoredItem*>& items, Ie browser) {
    std::vector<int> byRepair;
    for (const StoredItem* item : items) byRepair.push_back(RuleOfRepair(*item));
    // The row sets that agree with the count, the browser and every repair key. An item without a key takes
    // the row that all of them put in its place (the first four and the last three are the same in each).
    std::vector<const RowSet*> agreeing;
    for (const RowSet& set : kRowSets) {
        if (set.rows.size() != items.size()) continue;
        if (browser != Ie::Unknown && std::find(set.browsers.begin(), set.browsers.end(), browser) == set.browsers.end())
            continue;
        bool agrees = true;
        for (size_t i = 0; i < items.size() && agrees; ++i) agrees = byRepair[i] < 0 || byRepair[i] == set.rows[i];
        if (agrees) agreeing.push_back(&set);
    }
    for (size_t i = 0; i < items.size(); ++i) {
        int row = byRepair[i];
        if (row < 0 && !agreeing.empty()) {
            row = agreeing[0]->rows[i];
            for (const RowSet* set : agreeing)
                if (set->rows[i] != row) row = -1;
        }
        items[i]->key = row >= 0 ? std::string(kSettings) + "/" + kSettingsRules[row].name : SubjectKey(*items[i]);
    }
}

}  // namespace

void AssignItemKeys(std::vector<StoredItem>& items) {
    std::vector<StoredItem*> basic, settings;
    for (StoredItem& item : items) {
        if (item.group == kBasic) basic.push_back(&item);
        else if (item.group == kSettings) settings.push_back(&item);
        else item.key = item.group + "/" + item.subject;
    }
    // The basic group's items are known by their place only when the group holds its four.
    const bool basicKnown = basic.size() == std::size(kBasicRules);
    for (size_t i = 0; i < basic.size(); ++i)
        basic[i]->key = basicKnown ? std::string(kBasic) + "/" + kBasicRules[i] : SubjectKey(*basic[i]);
    KeySettings(settings, basicKnown ? BrowserOf(basic[1]->state) : Ie::Unknown);
    // A key is once in a report, so that counting an item's rows counts reports. Only a report that names
    // one file or repair twice meets this.
    std::set<std::string> used;
    for (StoredItem& item : items) {
        std::string key = item.key;
        for (int n = 2; !used.insert(key).second; ++n) key = item.key + "#" + std::to_string(n);
        item.key = std::move(key);
    }
}

}  // namespace omni::desk
