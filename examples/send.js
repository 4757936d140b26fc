// Diagnoses this PC and sends the report to the desk's receiver with SendInformation, which posts it
// in a new browser window; the desk's page answers there with the report's number.
// Page: <object id="Omniprobe" ...> with its PARAMs; the receiver's address is the query:
// "?http://desk.example/report?ticket=1234". Writes the report exactly as received on one line, with
// backslash, CR, LF and tab escaped ("\\", "\r", "\n", "\t").

var receiver = location.search.substring(1);
var report = "";

function Omniprobe_OnRetrieveComplete(XmlText) {
    report = XmlText;
}

function escaped(text) {
    return text.replace(/\\/g, "\\\\").replace(/\r/g, "\\r").replace(/\n/g, "\\n").replace(/\t/g, "\\t");
}

var code = Omniprobe.Retrieve();
document.write(escaped(report) + "\n");
if (code != 0 || !receiver) {
    window.status = "retrieve " + code + ": " + Omniprobe.GetErrorMsg(code) + (receiver ? "" : "; no receiver address");
    window.close(1);
} else {
    var sent = Omniprobe.SendInformation(receiver, report, Omniprobe.GetDisabledIEAddins(), Omniprobe.Lang);
    window.status = "SendInformation " + sent + ": " + receiver;
    window.close(sent ? 0 : 1);
}
