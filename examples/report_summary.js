// A report summed up for a person to read at a glance, as a page shows it above its tables: this PC's
// Windows, browser and players, how many items need attention, then every item by group with its
// verdict, and under each red item the repair the page offers. Include it before the page's own script.
// The report is read with the system's XML parser, as a page in Internet Explorer reads it.

var summaryTexts = {
    eng: {
        windows: "Windows",
        browser: "Browser",
        browserName: "Internet Explorer",
        players: "Players",
        mediaPlayer: "Media Player",
        flashPlayer: "Flash Player",
        someRed: "%1 of %2 items need attention.",
        allFine: "All %2 items are fine.",
        noItems: "The diagnosis has no items to show.",
        unreadable: "The diagnosis report could not be read.",
        repair: "Repair",
        groups: {
            basic: "Windows, browser and players",
            ocx_z4: "Zentra 4 controls",
            ocx_z3: "Zentra 3 controls",
            etcchecklist: "Browser and media settings",
            dll: "Support libraries"
        }
    },
    kor: {
        windows: "운영체제",
        browser: "브라우저",
        browserName: "인터넷 익스플로러",
        players: "플레이어",
        mediaPlayer: "미디어 플레이어",
        flashPlayer: "플래시 플레이어",
        someRed: "%2개 항목 중 %1개 항목에 조치가 필요합니다.",
        allFine: "%2개 항목이 모두 정상입니다.",
        noItems: "점검 결과에 표시할 항목이 없습니다.",
        unreadable: "점검 결과를 읽을 수 없습니다.",
        repair: "조치하기",
        groups: {
            basic: "윈도우, 브라우저, 플레이어",
            ocx_z4: "Zentra 4 컨트롤",
            ocx_z3: "Zentra 3 컨트롤",
            etcchecklist: "브라우저 및 미디어 설정",
            dll: "지원 라이브러리"
        }
    }
};

function summaryChildren(node, name) {
    var found = [];
    for (var child = node ? node.firstChild : null; child; child = child.nextSibling) {
        if (child.nodeType == 1 && child.nodeName == name) found.push(child);
    }
    return found;
}

// The text of the first child element of that name, on one line (Windows' description has line breaks).
function summaryText(node, name) {
    var element = summaryChildren(node, name)[0];
    var text = element ? element.text : "";
    return text.replace(/\s+/g, " ").replace(/^ | $/g, "");
}

// The repair a page offers for a red item: a button calling one of the control's repair methods, a link,
// or a text; "" when there is none.
function summaryRepair(item, t) {
    var solution = summaryChildren(item, "solutionmsg")[0];
    if (!solution) return "";
    var type = solution.getAttribute("type") || "";
    var value = solution.getAttribute("value") || "";
    var param = solution.getAttribute("param") || "";
    var label = summaryText(item, "solutionmsg");
    if (type == "method" && /^(Modify|InstallOcx|InstallDll|InstallProgram)$/.test(value)) {
        return (label || t.repair) + ": " + value + "(\"" + param + "\")";
    }
    if (type == "link" && /^https?:\/\//i.test(value)) return label ? label + ": " + value : value;
    return label;
}

// The summary of a report as lines of text, in the language of the control's Lang ("kor" in any case is
// Korean, everything else English). Red items are marked "!!" and black ones "ok", so a file shows them
// too; with colour, red items and the count are also in the terminal's red.
function summarize(xml, lang, colour) {
    var t = /^kor$/i.test(String(lang)) ? summaryTexts.kor : summaryTexts.eng;
    var lines = [];
    function red(text) {
        return colour ? "\x1b[31m" + text + "\x1b[0m" : text;
    }
    var root = null;
    try {
        var parser = new ActiveXObject("Microsoft.XMLDOM");
        parser.async = false;
        if (parser.loadXML(xml)) root = parser.documentElement;
    } catch (e) {
        root = null;  // no XML parser on this PC: the report cannot be read
    }
    if (!root || root.nodeName != "diagnosis") return t.unreadable + "\n";

    var groups = summaryChildren(root, "group");
    // The basic group holds Windows, the browser, Media Player and Flash, in that order.
    var basic = groups.length && groups[0].getAttribute("class") == "basic" ? summaryChildren(groups[0], "item") : [];
    if (basic.length == 4) {
        lines.push(t.windows + ": " + summaryText(basic[0], "lenvmsg"));
        lines.push(t.browser + ": " + t.browserName + " " + summaryText(basic[1], "lenvmsg"));
        lines.push(t.players + ": " + t.mediaPlayer + " " + summaryText(basic[2], "lenvmsg") + ", " +
                   t.flashPlayer + " " + summaryText(basic[3], "lenvmsg"));
        lines.push("");
    }

    var body = [], items = 0, reds = 0;
    for (var g = 0; g < groups.length; g++) {
        var name = groups[g].getAttribute("class") || "";
        body.push("");
        body.push(t.groups[name] || name);
        var groupItems = summaryChildren(groups[g], "item");
        for (var i = 0; i < groupItems.length; i++) {
            var item = groupItems[i];
            var isRed = summaryText(item, "resultcolor").toUpperCase() != "000000";
            var addition = summaryText(item, "addition");
            var line = summaryText(item, "subject") + ": " + summaryText(item, "resultmsg") +
                       (addition ? " " + addition : "");
            items++;
            if (!isRed) {
                body.push("  ok " + line);
                continue;
            }
            reds++;
            body.push(red("  !! " + line));
            var repair = summaryRepair(item, t);
            if (repair) body.push(red("     -> " + repair));
        }
    }
    var count = reds ? t.someRed : items ? t.allFine : t.noItems;
    count = count.replace("%1", reds).replace("%2", items);
    lines.push(reds ? red(count) : count);
    return lines.concat(body).join("\n") + "\n";
}
