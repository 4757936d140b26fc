// Times Retrieve in local mode as a page sees it: from the call to the report arriving through
// OnRetrieveComplete. One warm-up call, then the repetitions given as "?n" in the address.
var repetitions = parseInt(location.search.substring(1), 10) || 7;
var arrived = 0;

function Omniprobe_OnRetrieveComplete(XmlText) {
    arrived = new Date().getTime();
}

function timeOne() {
    var start = new Date().getTime();
    var code = Omniprobe.Retrieve();
    if (code != 0) {
        document.write("Retrieve answered " + code + ": " + Omniprobe.GetErrorMsg(code) + "\n");
        window.close(1);
    }
    return arrived - start;
}

timeOne();
var times = [];
for (var i = 0; i < repetitions; i++) times.push(timeOne());
document.write("Retrieve to event (ms):           " + times.join(" ") + "\n");
times.sort(function (a, b) { return a - b; });
document.write("median Retrieve to event:          " + times[Math.floor(times.length / 2)] + " ms\n");
window.close(0);
