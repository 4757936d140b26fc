// Stands in for the Omniprobe control in a browser that cannot load it: runs in the page before its own
// scripts (puppeteer's evaluateOnNewDocument), replays reports the real control produced, and records
// the members the page uses in window.omniprobeDouble.calls. The event reaches the page as Internet
// Explorer delivers it: through the page's <script for="<id>" event="Name(args)"> elements, compiled into
// handlers in the global scope (Chromium never runs such a script itself).
function installControlDouble(fixture) {
    const calls = [];
    window.omniprobeDouble = {calls};

    function decorate(element) {
        const handlers = Array.from(document.querySelectorAll("script[for][event]")).flatMap((script) => {
            const binding = /^\s*OnRetrieveComplete\s*\(([^)]*)\)\s*$/.exec(script.getAttribute("event"));
            return script.htmlFor === element.id && binding ? [new Function(binding[1], script.text)] : [];
        });
        const fire = (xml) => handlers.forEach((handler) => handler.call(element, xml));
        // PARAMs reach the control through its property bag before any script runs.
        const properties = {InstallMode: "0", ServerURL: "", MailAddr: "", Lang: ""};
        for (const param of element.getElementsByTagName("param")) properties[param.name] = param.value;
        for (const name of Object.keys(properties)) {
            Object.defineProperty(element, name, {
                get: () => properties[name],
                set: (value) => {
                    calls.push({member: name, args: [String(value)]});
                    properties[name] = String(value);
                }
            });
        }
        const lang = () => (properties.Lang === "kor" ? "kor" : "eng");
        const member = (name, work) => {
            element[name] = (...args) => {
                calls.push({member: name, args});
                return work(...args);
            };
        };

        // The real control fires the event before Retrieve returns.
        member("Retrieve", () => (fire(fixture.reports[lang()]), 0));
        // A successful repair re-diagnoses about a second later: the fresh report the control sent after
        // this very repair when there is one, otherwise the current report again.
        for (const method of ["Modify", "InstallOcx", "InstallDll", "InstallProgram"]) {
            member(method, (param) => {
                const fresh = (fixture.repaired[lang()] || {})[method + " " + param] || fixture.reports[lang()];
                setTimeout(() => fire(fresh), fixture.repairDelayMs);
                return 0;
            });
        }
        member("SaveTo", () => 0);
        member("MailTo", () => 0);
        element.GetErrorMsg = (code) => fixture.messages[lang()][String(code)] ?? "Undefined";
    }

    document.addEventListener("DOMContentLoaded", () => {
        for (const element of document.getElementsByTagName("object")) {
            if (/^clsid:4814A6CB-9A5D-4F66-99F5-79413040054B$/i.test(element.getAttribute("classid"))) decorate(element);
        }
    });
}

module.exports = {installControlDouble};
