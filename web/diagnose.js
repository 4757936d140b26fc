// The support desk's diagnosis page: asks the Omniprobe control for its report and lays it out, with a
// button for every repair the report offers. ES5 as Internet Explorer 8 to 11 run it: no later syntax,
// no library, DOM level 1 plus attachEvent.
var OmniprobePage = (function () {
    var texts = {
        eng: {
            title: "Talvek Diagnostic Tool",
            intro: "This page checks whether this PC can play Talvek contents. Items in red need attention: " +
                   "use the button or link beside them.",
            retrieve: "Diagnose again",
            save: "Save",
            mail: "Send by mail",
            language: "Language",
            subject: "Item",
            state: "Installed",
            verdict: "Result",
            solution: "Solution",
            repair: "Repair",
            diagnosing: "Diagnosing this PC...",
            repairing: "Working on it: %1...",
            noControl: "The Omniprobe control is not installed. Allow it in the browser's information bar, " +
                       "then reload this page.",
            unreadable: "The diagnosis report could not be read.",
            noItems: "The diagnosis has no items to show.",
            allFine: "All %2 items are fine.",
            someRed: "%1 of %2 items need attention.",
            retrieveResult: "Diagnosis: %2 (%1)",
            repairResult: "%3: %2 (%1)",
            repairFollows: "%3: %2. The diagnosis runs again in a moment.",
            saveResult: "Save: %2 (%1)",
            mailResult: "Mail: %2 (%1)",
            groups: {
                basic: "Windows, browser and players",
                ocx_z4: "Zentra 4 controls",
                ocx_z3: "Zentra 3 controls",
                etcchecklist: "Browser and media settings",
                dll: "Support libraries"
            }
        },
        kor: {
            title: "시청환경 점검 도구",
            intro: "이 PC에서 Talvek 컨텐츠를 시청할 수 있는지 점검합니다. 빨간색 항목은 조치가 필요합니다. " +
                   "옆의 버튼이나 링크를 눌러 주십시오.",
            retrieve: "다시 점검",
            save: "저장",
            mail: "메일 보내기",
            language: "언어",
            subject: "항목",
            state: "설치 상태",
            verdict: "점검 결과",
            solution: "조치",
            repair: "조치하기",
            diagnosing: "점검 중입니다...",
            repairing: "처리 중입니다: %1...",
            noControl: "Omniprobe 컨트롤이 설치되어 있지 않습니다. 브라우저의 알림 표시줄에서 설치를 허용한 후 " +
                       "페이지를 새로 고쳐 주십시오.",
            unreadable: "점검 결과를 읽을 수 없습니다.",
            noItems: "점검 결과에 표시할 항목이 없습니다.",
            allFine: "%2개 항목이 모두 정상입니다.",
            someRed: "%2개 항목 중 %1개 항목에 조치가 필요합니다.",
            retrieveResult: "점검: %2 (%1)",
            repairResult: "%3: %2 (%1)",
            repairFollows: "%3: %2. 잠시 후 다시 점검합니다.",
            saveResult: "저장: %2 (%1)",
            mailResult: "메일: %2 (%1)",
            groups: {
                basic: "윈도우, 브라우저, 플레이어",
                ocx_z4: "Zentra 4 컨트롤",
                ocx_z3: "Zentra 3 컨트롤",
                etcchecklist: "브라우저 및 미디어 설정",
                dll: "지원 라이브러리"
            }
        }
    };
    var lang = "eng";

    function byId(id) {
        return document.getElementById(id);
    }

    function control() {
        return byId("Omniprobe");
    }

    function listen(element, type, handler) {
        if (element.addEventListener) element.addEventListener(type, handler, false);
        else element.attachEvent("on" + type, handler);
    }

    function format(text, a, b, c) {
        return text.replace("%1", a).replace("%2", b).replace("%3", c);
    }

    function clear(element) {
        while (element.firstChild) element.removeChild(element.firstChild);
    }

    function setText(element, text) {
        clear(element);
        element.appendChild(document.createTextNode(text));
    }

    function append(parent, tag, className, text) {
        var element = document.createElement(tag);
        if (className) element.className = className;
        if (text) element.appendChild(document.createTextNode(text));
        parent.appendChild(element);
        return element;
    }

    // The control's own text for a result code, in the page's language.
    function message(code) {
        try {
            return control().GetErrorMsg(code);
        } catch (e) {
            return "";
        }
    }

    // The status line sums up the report; the message line tells how the last call went.
    function showStatus(text) {
        setText(byId("status"), text);
    }

    function showMessage(text) {
        setText(byId("message"), text);
    }

    function applyTexts() {
        var t = texts[lang];
        document.title = t.title;
        setText(byId("title"), t.title);
        setText(byId("intro"), t.intro);
        setText(byId("retrieve"), t.retrieve);
        setText(byId("save"), t.save);
        setText(byId("mail"), t.mail);
        setText(byId("language-label"), t.language);
        byId("language").value = lang;
    }

    // --- The report

    function parseXml(text) {
        if (window.DOMParser) return new window.DOMParser().parseFromString(text, "text/xml");
        var msxml = new window.ActiveXObject("Microsoft.XMLDOM");
        msxml.async = false;
        msxml.loadXML(text);
        return msxml;
    }

    function childElements(node, name) {
        var found = [];
        for (var child = node.firstChild; child; child = child.nextSibling) {
            if (child.nodeType == 1 && child.nodeName == name) found.push(child);
        }
        return found;
    }

    // The text of an element, the same from MSXML (IE 8) and from a DOM parser.
    function textOf(node) {
        var text = "";
        for (var child = node ? node.firstChild : null; child; child = child.nextSibling) {
            if (child.nodeType == 3 || child.nodeType == 4) text += child.nodeValue;
            else if (child.nodeType == 1) text += textOf(child);
        }
        return text;
    }

    function child(node, name) {
        return childElements(node, name)[0] || null;
    }

    function isRed(colour) {
        return colour.toUpperCase() != "000000";
    }

    // A repair the control offers, as a button; only the control's four repair methods are called.
    function repairButton(label, method, param) {
        var button = document.createElement("button");
        var text = label || texts[lang].repair;
        button.setAttribute("type", "button");
        button.appendChild(document.createTextNode(text));
        listen(button, "click", function () {
            repair(method, param, text);
        });
        return button;
    }

    function solutionOf(cell, solution) {
        if (!solution) return;
        var type = solution.getAttribute("type") || "";
        var value = solution.getAttribute("value") || "";
        var param = solution.getAttribute("param") || "";
        var label = textOf(solution);
        if (type == "method" && /^(Modify|InstallOcx|InstallDll|InstallProgram)$/.test(value)) {
            cell.appendChild(repairButton(label, value, param));
        } else if (type == "link" && /^https?:\/\//i.test(value)) {
            var link = append(cell, "a", "", label || value);
            link.href = value;
            link.target = "_blank";
        } else if (label) {
            append(cell, "span", "", label);
        }
    }

    function itemRow(tbody, item, withState) {
        var colour = textOf(child(item, "resultcolor"));
        var red = isRed(colour);
        var row = append(tbody, "tr", red ? "item problem" : "item", "");
        append(row, "td", "subject", textOf(child(item, "subject")));
        if (withState) append(row, "td", "state", textOf(child(item, "lenvmsg")));
        var verdict = append(row, "td", "verdict", textOf(child(item, "resultmsg")));
        verdict.style.color = /^[0-9A-Fa-f]{6}$/.test(colour) ? "#" + colour : "#FF0000";
        var addition = textOf(child(item, "addition"));
        if (addition) append(verdict, "span", "addition", addition);
        var solution = append(row, "td", "solution", "");
        if (red) solutionOf(solution, child(item, "solutionmsg"));
        return red;
    }

    function groupTable(report, group, counts) {
        var t = texts[lang];
        var name = group.getAttribute("class") || "";
        var section = append(report, "div", "section", "");
        section.id = "group-" + name;
        append(section, "h2", "", t.groups[name] || name);
        var items = childElements(group, "item");
        // Only the basic group tells what is installed; the others get no empty column.
        var withState = false;
        for (var i = 0; i < items.length; i++) {
            if (child(items[i], "lenvmsg")) withState = true;
        }
        var table = append(section, "table", "group", "");
        var head = append(append(table, "thead", "", ""), "tr", "", "");
        append(head, "th", "subject", t.subject);
        if (withState) append(head, "th", "state", t.state);
        append(head, "th", "verdict", t.verdict);
        append(head, "th", "solution", t.solution);
        var tbody = append(table, "tbody", "", "");
        for (var j = 0; j < items.length; j++) {
            counts.items++;
            if (itemRow(tbody, items[j], withState)) counts.red++;
        }
    }

    // Lays out a report of OnRetrieveComplete, replacing the one shown: a repair fires a fresh one.
    function showReport(xml) {
        var report = byId("report");
        clear(report);
        var root = parseXml(xml).documentElement;
        if (!root || root.nodeName != "diagnosis") {
            showStatus(texts[lang].unreadable);
            return;
        }
        var counts = {items: 0, red: 0};
        var groups = childElements(root, "group");
        for (var i = 0; i < groups.length; i++) groupTable(report, groups[i], counts);
        // A refused or failed Retrieve fires the empty report; its code goes to the message line.
        var summary = counts.red ? texts[lang].someRed : counts.items ? texts[lang].allFine : texts[lang].noItems;
        showStatus(format(summary, counts.red, counts.items, ""));
    }

    // --- Calls into the control; each runs from a timer, so the status is painted before the control
    // holds the browser's thread.

    function later(note, work) {
        showMessage(note);
        window.setTimeout(function () {
            try {
                showMessage(work(control()));
            } catch (e) {
                showMessage(texts[lang].noControl);
            }
        }, 50);
    }

    function retrieve() {
        later(texts[lang].diagnosing, function (omniprobe) {
            var code = omniprobe.Retrieve();
            return code == 0 ? "" : format(texts[lang].retrieveResult, code, message(code), "");
        });
    }

    function callRepair(omniprobe, method, param) {
        if (method == "Modify") return omniprobe.Modify(param);
        if (method == "InstallOcx") return omniprobe.InstallOcx(param);
        if (method == "InstallDll") return omniprobe.InstallDll(param);
        return omniprobe.InstallProgram(param);
    }

    function repair(method, param, label) {
        later(format(texts[lang].repairing, label, "", ""), function (omniprobe) {
            var code = callRepair(omniprobe, method, param);
            var text = code == 0 ? texts[lang].repairFollows : texts[lang].repairResult;
            return format(text, code, message(code), label);
        });
    }

    function save() {
        later("", function (omniprobe) {
            var code = omniprobe.SaveTo();
            return format(texts[lang].saveResult, code, message(code), "");
        });
    }

    function mail() {
        later("", function (omniprobe) {
            var code = omniprobe.MailTo();
            return format(texts[lang].mailResult, code, message(code), "");
        });
    }

    function setLanguage(value) {
        lang = texts[value] ? value : "eng";
        applyTexts();
        clear(byId("report"));
        showStatus("");
        try {
            control().Lang = lang;
        } catch (e) {
            showMessage(texts[lang].noControl);
            return;
        }
        retrieve();
    }

    // The folder of this page, where a support desk keeps the lists and components with the page.
    function pageFolder() {
        var address = window.location.href.split("#")[0].split("?")[0];
        return address.substring(0, address.lastIndexOf("/") + 1);
    }

    function start() {
        var omniprobe = control();
        var asked = /[?&]lang=(eng|kor)/.exec(window.location.search);
        try {
            lang = asked ? asked[1] : (omniprobe.Lang == "kor" ? "kor" : "eng");
            if (!omniprobe.ServerURL) omniprobe.ServerURL = pageFolder();
        } catch (e) {
            lang = asked ? asked[1] : "eng";
        }
        listen(byId("retrieve"), "click", retrieve);
        listen(byId("save"), "click", save);
        listen(byId("mail"), "click", mail);
        listen(byId("language"), "change", function () {
            setLanguage(byId("language").value);
        });
        setLanguage(lang);
    }

    listen(window, "load", start);
    return {showReport: showReport};
}());
