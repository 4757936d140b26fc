// Diagnoses this PC, repairs one red item with the method its solution names, and writes the fresh
// report the control sends about one second after the repair succeeded.
// The address says which repair: "?Modify=UseSWRender" or "?InstallOcx=Quadrel.ocx".
// (indent() comes from report_layout.js, included before this script.)

var query = location.search.substring(1);
var method = query.substring(0, query.indexOf("="));
var param = query.substring(query.indexOf("=") + 1);
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
    document.write(indent(XmlText));
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
