// Diagnoses this PC and writes the report the control sends back.
// Page: <object id="Omniprobe" classid="clsid:4814A6CB-9A5D-4F66-99F5-79413040054B"> with its PARAMs.
// The address chooses the form: "?raw" writes the report exactly as received, "?summary" sums it up
// (summarize() from report_summary.js; "?summary&colour" with red in the terminal's colour), and
// otherwise one element per line (indent() from report_layout.js). Include those scripts first.

var asked = location.search.substring(1).split("&");

function isAsked(word) {
    for (var i = 0; i < asked.length; i++) {
        if (asked[i] == word) return true;
    }
    return false;
}

function Omniprobe_OnRetrieveComplete(XmlText) {
    if (isAsked("raw")) document.write(XmlText + "\n");
    else if (isAsked("summary")) document.write(summarize(XmlText, Omniprobe.Lang, isAsked("colour")));
    else document.write(indent(XmlText));
}

var code = Omniprobe.Retrieve();
window.status = "retrieve " + code + ": " + Omniprobe.GetErrorMsg(code);
window.close(0);
