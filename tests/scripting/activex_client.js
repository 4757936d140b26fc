// A second client of the control: Windows Script Host creates it by its ProgID, as a page's
// "new ActiveXObject" does, and uses what works without a window.
var passed = 0, failed = 0;

function check(what, actual, expected) {
    if (actual === expected) {
        passed++;
    } else {
        failed++;
        WScript.Echo("FAIL " + what + ": got [" + actual + "], expected [" + expected + "]");
    }
}

var control = new ActiveXObject("OMNIPROBE.OmniprobeCtrl.1");

check("install mode of a new control", control.InstallMode, 0);
control.InstallMode = 1;
check("script chooses web mode", control.InstallMode, 1);
control.InstallMode = 2;
check("script cannot choose the links mode", control.InstallMode, 1);
check("SetWebMode changes nothing", control.SetWebMode(false), 0);
check("mode after SetWebMode", control.InstallMode, 1);

control.ServerURL = "http://127.0.0.1:9/content/";
control.MailAddr = "desk@example.test";
check("server URL kept as given", control.ServerURL, "http://127.0.0.1:9/content/");
check("mail address kept as given", control.MailAddr, "desk@example.test");

// Message texts follow Lang: "kor" in any case is Korean, anything else English.
var languages = [
    ["kor", -80, "\uCDE8\uC18C\uD558\uC600\uC2B5\uB2C8\uB2E4"],
    ["KOR", -101, "\uCD08\uAE30\uD654\uC5D0 \uC2E4\uD328\uD588\uC2B5\uB2C8\uB2E4"],
    ["eng", -80, "User canceled"],
    ["ENG", 0, "Normal"],
    ["fr", -101, "Failed to initialize"],
    ["eng", -98, "Undefined"],
    ["eng", 12345, "Undefined"],
    ["eng", 100, ""]
];
for (var i = 0; i < languages.length; i++) {
    control.Lang = languages[i][0];
    check("GetErrorMsg(" + languages[i][1] + ") with Lang " + languages[i][0],
          control.GetErrorMsg(languages[i][1]), languages[i][2]);
}

// Without a window the control never set up its folders: Retrieve refuses to run.
check("Retrieve without a window", control.Retrieve(), -101);

// Created by script, the control has no site and so no page whose origin a question could name: a change
// that would ask the user is refused unasked.
check("FlashSecure from a control without a site", control.Modify("FlashSecure"), -103);

WScript.Echo(passed + " passed, " + failed + " failed");
WScript.Quit(failed === 0 ? 0 : 1);
