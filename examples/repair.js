// Diagnoses this PC, repairs one red item with the method its solution names, and writes the fresh
// report the control sends about one second after the repair succeeded.
// The address says which repair: "?Modify=UseSWRender" or "?InstallOcx=Quadrel.ocx", and then the form
// of the fresh report as retrieve.js takes it: "&raw", "&summary" (with "&colour"), or one element per
// line (indent() and summarize() come from report_layout.js and report_summary.js, included first).

var asked = location.search.substring(1).split("&");
var method = asked[0].substring(0, asked[0].indexOf("="));
var param = asked[0].substring(asked[0].indexOf("=") + 1);
var subject = "";
var reports = 0;

// The text between <tag> and </tag> in xml, or "".
function textOf(xml, tag) {
    var begin = xml.indexOf("<" + tag + ">");
    var end = xml.indexOf("</" + tag + ">");
    return begin < 0 || end < begin ? "" : xml.substring(begin + tag.length + 2, end);
}

// The item of the report whose subject is wanted, or whose solution calls method(param).
function findItem(xml) {
    var items = xml.split("<item>");
    for (var i = 1; i < items.length; i++) {
        var item = items[i];
        if (subject ? textOf(item, "subject") == subject
                    : item.indexOf("value=\"" + method + "\" param=\"" + param + "\"") >= 0) return item;
    }
    return "";
}

function isAsked(word) {
    for (var i = 1; i < asked.length; i++) {
        if (asked[i] == word) return true;
    }
    return false;
}

function describe(item) {
    return textOf(item, "subject") + ": " + (textOf(item, "resultcolor") == "000000" ? "black" : "red") +
           ", " + textOf(item, "resultmsg");
}

function Omniprobe_OnRetrieveComplete(XmlText) {
    reports++;
    var item = findItem(XmlText);
    if (reports == 1) {
        subject = textOf(item, "subject");
        window.status = "before: " + (item ? describe(item) : "no item offers " + method + "(" + param + ")");
        return;
    }
    if (isAsked("raw")) document.write(XmlText + "\n");
    else if (isAsked("summary")) document.write(summarize(XmlText, Omniprobe.Lang, isAsked("colour")));
    else document.write(indent(XmlText));
    window.status = "after: " + describe(item);
    window.close(0);
}

var code = Omniprobe.Retrieve();
if (code == 0 && subject) {
    if (method == "InstallOcx") code = Omniprobe.InstallOcx(param);
    else if (method == "InstallDll") code = Omniprobe.InstallDll(param);
    else code = Omniprobe.Modify(param);
    window.status = method + "(\"" + param + "\") " + code + ": " + Omniprobe.GetErrorMsg(code);
}
// The page stays open for the fresh report; without a repair there is none to wait for.
if (code != 0 || !subject) window.close(1);
