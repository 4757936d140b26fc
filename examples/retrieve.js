// Diagnoses this PC and writes the report the control sends back.
// Page: <object id="Omniprobe" classid="clsid:4814A6CB-9A5D-4F66-99F5-79413040054B"> with its PARAMs.
// "?raw" in the address writes the report exactly as received; otherwise one element per line
// (indent() comes from report_layout.js, included before this script).

var raw = location.search.indexOf("raw") >= 0;

function Omniprobe_OnRetrieveComplete(XmlText) {
    document.write(raw ? XmlText + "\n" : indent(XmlText));
}

var code = Omniprobe.Retrieve();
window.status = "retrieve " + code + ": " + Omniprobe.GetErrorMsg(code);
window.close(0);
