// Runs in the page container on the demo PC and writes what the control gives a page, for the
// browser test's stand-in to replay: every report of OnRetrieveComplete exactly as received
// ("report<TAB>xml"), then the control's message for every result code ("message<TAB>code<TAB>text").
// "?Modify=UseSWRender" in the address repairs that item after the first report and waits for the fresh one.

var query = location.search.substring(1);
var method = query.substring(0, query.indexOf("="));
var param = query.substring(query.indexOf("=") + 1);
var codes = [0, 100, -1, -11, -21, -22, -23, -31, -32, -33, -34, -35, -36, -37, -41, -51, -60, -61, -70, -80,
             -90, -91, -92, -93, -94, -95, -96, -97, -98, -99, -101, -102, -103, -104];
var reports = 0;

// One line per record: the texts of the catalogue may hold line breaks and tabs.
function escaped(text) {
    return text.replace(/\\/g, "\\\\").replace(/\r/g, "\\r").replace(/\n/g, "\\n").replace(/\t/g, "\\t");
}

function finish() {
    for (var i = 0; i < codes.length; i++)
        document.write("message\t" + codes[i] + "\t" + escaped(Omniprobe.GetErrorMsg(codes[i])) + "\n");
    window.close(0);
}

function Omniprobe_OnRetrieveComplete(XmlText) {
    reports++;
    document.write("report\t" + escaped(XmlText) + "\n");
    if (reports == 2) finish();
}

var code = Omniprobe.Retrieve();
if (code != 0) {
    window.status = "retrieve " + code;
    window.close(1);
} else if (method == "Modify") {
    code = Omniprobe.Modify(param);
    window.status = "Modify(\"" + param + "\") " + code;
    if (code != 0) window.close(1);
} else {
    finish();
}
