// The page's script must parse and run in Internet Explorer 8 to 11: ESLint at ES5 over diagnose.js and
// every inline script of diagnose.html, plus the few rules for what IE 8's JScript lacks beyond syntax.
// Usage: node lint_test.js <web folder>  (eslint found through NODE_PATH)
"use strict";
const test = require("node:test");
const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const {ESLint} = require("eslint");

const web = path.resolve(process.argv[2] || path.join(__dirname, ".."));

const ie8Lacks = "Internet Explorer 8 lacks it";
const ie8Config = {
    languageOptions: {ecmaVersion: 5, sourceType: "script", globals: {window: "readonly", document: "readonly"}},
    linterOptions: {reportUnusedDisableDirectives: "error"},
    rules: {
        "no-undef": "error",
        "no-unused-vars": ["error", {vars: "local", caughtErrors: "none"}],  // ES5 has no catch without a name
        "no-redeclare": "error",
        "comma-dangle": ["error", "never"],  // IE 8 rejects an object literal's trailing comma
        "no-restricted-properties": ["error",
            ...["forEach", "map", "filter", "some", "every", "reduce", "trim", "textContent", "classList",
                "getElementsByClassName"].map((property) => ({property, message: ie8Lacks})),
            {object: "Object", property: "keys", message: ie8Lacks},
            {object: "Date", property: "now", message: ie8Lacks}]
    }
};

function lint(code, filePath) {
    const eslint = new ESLint({cwd: web, overrideConfigFile: true, overrideConfig: ie8Config});
    return eslint.lintText(code, {filePath: path.join(web, filePath)}).then((results) => results[0].messages);
}

function describe(messages) {
    return messages.map((m) => `${m.line}:${m.column} ${m.message}`).join("\n");
}

// The inline scripts of a page; an event script (for/event) is the body of a handler whose parameters
// the event attribute names, as Internet Explorer compiles it.
function inlineScripts(html) {
    const scripts = [];
    const element = /<script\b([^>]*)>([\s\S]*?)<\/script>/gi;
    for (let match; (match = element.exec(html));) {
        const attributes = match[1];
        if (/\bsrc\s*=/.test(attributes)) continue;
        const event = /\bevent\s*=\s*"\s*\w+\s*\(([^)]*)\)\s*"/.exec(attributes);
        scripts.push(event ? `(function (${event[1]}) {${match[2]}\n});\n` : match[2]);
    }
    return scripts;
}

test("diagnose.js is ES5 that Internet Explorer 8 runs", async () => {
    const messages = await lint(fs.readFileSync(path.join(web, "diagnose.js"), "utf8"), "diagnose.js");
    assert.equal(describe(messages), "");
});

test("the inline scripts of diagnose.html are ES5 that Internet Explorer 8 runs", async () => {
    const scripts = inlineScripts(fs.readFileSync(path.join(web, "diagnose.html"), "utf8"));
    assert.ok(scripts.length > 0, "the page binds the control's event in an inline script");
    for (const [i, script] of scripts.entries()) {
        const globals = "/* global OmniprobePage */\n";
        const messages = await lint(globals + script, `diagnose.html.script${i + 1}.js`);
        assert.equal(describe(messages), "", `inline script ${i + 1}`);
    }
});

test("the settings reject what Internet Explorer 8 cannot run", async () => {
    const rejected = ["let a = 1;", "const a = 1;", "var f = () => 1;", "var s = `x`;", "var o = {a: 1,};",
                      "var a = [1]; a.forEach(function () {});", "var k = Object.keys({});",
                      "function f(a = 1) { return a; } f();", "for (var x of [1]) { x++; }"];
    for (const code of rejected) {
        const messages = await lint(code, "sample.js");
        assert.ok(messages.length > 0, `accepted: ${code}`);
    }
});
