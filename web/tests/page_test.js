// The shipped diagnose.html in headless Chromium, with a stand-in for the control that replays the reports
// the real control produced in this test run (capture-reports.sh).
// Environment: OMNI_SHIP_DIR, OMNI_WEB_REPORTS, OMNI_ARTEFACTS, OMNI_VERSION_COMMA, OMNI_CHROMIUM;
// puppeteer-core found through NODE_PATH.
"use strict";
const {test, before, after} = require("node:test");
const assert = require("node:assert/strict");
const fs = require("node:fs");
const path = require("node:path");
const {pathToFileURL} = require("node:url");
const puppeteer = require("puppeteer-core");
const {installControlDouble} = require("./control_double.js");

const ship = process.env.OMNI_SHIP_DIR;
const artefacts = process.env.OMNI_ARTEFACTS;
const read = (name) => fs.readFileSync(path.join(process.env.OMNI_WEB_REPORTS, name), "utf8");
// capture.js writes code<TAB>text with line breaks and tabs escaped.
const messages = (name) => Object.fromEntries(read(name).split("\n").filter(Boolean).map((line) => {
    const [code, text] = line.split("\t");
    return [code, text.replace(/\\(.)/g, (_, c) => ({n: "\n", r: "\r", t: "\t"})[c] || c)];
}));

const report = {eng: read("report_en.xml"), kor: read("report_ko.xml")};
const repaired = read("report_en_repaired.xml");
const fixture = {
    reports: report,
    repaired: {eng: {"Modify UseSWRender": repaired}},
    messages: {eng: messages("messages_en.txt"), kor: messages("messages_ko.txt")},
    repairDelayMs: 1000  // the control's re-diagnosis timer
};

let browser;
before(async () => {
    browser = await puppeteer.launch({executablePath: process.env.OMNI_CHROMIUM || "/usr/bin/chromium",
                                      headless: true, args: ["--no-sandbox", "--disable-gpu"]});
});
after(() => browser && browser.close());

// Polls on a timer: a page in a background tab gets no animation frames. The limit only ends a page that
// never gets there; a busy machine may take many seconds.
const until = (page, predicate, argument) => page.waitForFunction(predicate, {polling: 50, timeout: 120000}, argument);
const calls = (page) => page.evaluate(() => window.omniprobeDouble.calls);

async function openPage(t, query) {
    const page = await browser.newPage();
    const errors = [];
    page.on("pageerror", (error) => errors.push(error.message));
    t.after(async () => {
        await page.close();
        assert.deepEqual(errors, [], "script errors on the page");
    });
    await page.setViewport({width: 1100, height: 800});
    await page.evaluateOnNewDocument(installControlDouble, fixture);
    await page.goto(pathToFileURL(path.join(ship, "diagnose.html")).href + query, {waitUntil: "load"});
    await until(page, () => document.querySelectorAll("#report tr.item").length > 0);
    return page;
}

// The report's groups and items, read by the browser's own XML parser, not by the page.
function itemsOf(page, xml) {
    return page.evaluate((text) => {
        const root = new DOMParser().parseFromString(text, "text/xml").documentElement;
        return Array.from(root.children).map((group) => ({
            group: group.getAttribute("class"),
            items: Array.from(group.getElementsByTagName("item")).map((item) => {
                const field = (name) => (item.getElementsByTagName(name)[0] || {}).textContent || "";
                const solution = item.getElementsByTagName("solutionmsg")[0];
                return {subject: field("subject"), state: field("lenvmsg"), colour: field("resultcolor"),
                        verdict: field("resultmsg"), addition: field("addition"), label: solution.textContent,
                        type: solution.getAttribute("type"), method: solution.getAttribute("value"),
                        param: solution.getAttribute("param")};
            })
        }));
    }, xml);
}

// Every group in order, every item with its texts and its colour, and for a red item its repair.
async function assertShows(page, xml) {
    const expected = await itemsOf(page, xml);
    const shown = await page.evaluate(() => Array.from(document.querySelectorAll("#report div.section"), (s) => ({
        group: s.id.replace(/^group-/, ""),
        rows: Array.from(s.querySelectorAll("tbody tr"), (row) => {
            const cell = (name) => row.querySelector("td." + name) || {textContent: ""};
            const verdict = cell("verdict");
            return {subject: cell("subject").textContent, state: cell("state").textContent,
                    verdict: verdict.firstChild && verdict.firstChild.nodeType === 3 ? verdict.firstChild.nodeValue : "",
                    addition: (verdict.querySelector("span.addition") || {textContent: ""}).textContent,
                    colour: getComputedStyle(verdict).color, solution: cell("solution").textContent,
                    button: !!row.querySelector("td.solution button")};
        })
    })));
    assert.deepEqual(shown.map((g) => g.group), ["basic", "ocx_z4", "ocx_z3", "etcchecklist", "dll"]);
    assert.deepEqual(shown.map((g) => g.group), expected.map((g) => g.group));
    expected.forEach((group, g) => {
        assert.equal(shown[g].rows.length, group.items.length, `items of ${group.group}`);
        group.items.forEach((item, i) => {
            const red = item.colour === "FF0000";
            const want = {subject: item.subject, state: item.state, verdict: item.verdict, addition: item.addition,
                          colour: red ? "rgb(255, 0, 0)" : "rgb(0, 0, 0)", button: red && item.type === "method",
                          solution: red ? item.label : ""};
            const row = {...shown[g].rows[i]};
            if (want.button && !item.label) want.solution = row.solution;  // an unlabelled repair gets the page's word
            assert.deepEqual(row, want, `${group.group} item ${i + 1}`);
        });
    });
    return expected.flatMap((g) => g.items).filter((item) => item.colour === "FF0000").length;
}

test("the shipped page's CODEBASE carries the build's version and the control's class", () => {
    const html = fs.readFileSync(path.join(ship, "diagnose.html"), "utf8");
    assert.match(html, /classid="clsid:4814A6CB-9A5D-4F66-99F5-79413040054B"/);
    assert.equal(/codebase="([^"]*)"/.exec(html)[1], `Omniprobe.cab#version=${process.env.OMNI_VERSION_COMMA}`);
    assert.ok(fs.existsSync(path.join(ship, "diagnose.js")), "diagnose.js is shipped beside the page");
});

for (const [lang, screenshot] of [["eng", "diagnose_en.png"], ["kor", "diagnose_ko.png"]]) {
    test(`the ${lang} report: every item shown in black or red, each red button calls its repair`, async (t) => {
        const page = await openPage(t, `?lang=${lang}`);
        assert.ok(await assertShows(page, report[lang]) > 0, "the demo PC has red items");
        assert.deepEqual(await calls(page), [
            {member: "ServerURL", args: [pathToFileURL(ship).href + "/"]},  // the page's own folder
            {member: "Lang", args: [lang]}, {member: "Retrieve", args: []}]);
        fs.mkdirSync(artefacts, {recursive: true});
        await page.screenshot({path: path.join(artefacts, screenshot), fullPage: true});

        let pressed = 0;
        for (const group of await itemsOf(page, report[lang])) {
            for (const [i, item] of group.items.entries()) {
                if (item.colour !== "FF0000" || item.type !== "method") continue;
                const made = (await calls(page)).length;
                // Found and pressed in one step: a fresh report may replace the rows at any moment.
                await page.evaluate((selector) => document.querySelector(selector).click(),
                                    `#group-${group.group} tbody tr:nth-child(${i + 1}) td.solution button`);
                await until(page, (n) => window.omniprobeDouble.calls.length > n, made);
                assert.deepEqual((await calls(page))[made], {member: item.method, args: [item.param]});
                pressed++;
            }
        }
        assert.ok(pressed >= 5, `pressed ${pressed} buttons`);
    });
}

test("Save and Mail call SaveTo and MailTo and show the control's answer", async (t) => {
    const page = await openPage(t, "");
    for (const [button, member] of [["#save", "SaveTo"], ["#mail", "MailTo"]]) {
        await page.click(button);
        await until(page, (m) => window.omniprobeDouble.calls.some((c) => c.member === m), member);
        assert.match(await page.$eval("#message", (e) => e.textContent), new RegExp(fixture.messages.eng["0"]));
    }
});

test("the language list switches the control to Korean and shows its Korean report", async (t) => {
    const page = await openPage(t, "");
    await assertShows(page, report.eng);
    const firstKorean = (await itemsOf(page, report.kor))[0].items[0].subject;
    await page.select("#language", "kor");
    await until(page, (s) => (document.querySelector("td.subject") || {}).textContent === s, firstKorean);
    await assertShows(page, report.kor);
    assert.deepEqual((await calls(page)).slice(-2), [{member: "Lang", args: ["kor"]}, {member: "Retrieve", args: []}]);
});

test("the fresh report that follows a repair re-renders the page", async (t) => {
    const page = await openPage(t, "");
    const redBefore = await assertShows(page, report.eng);
    const settings = (await itemsOf(page, report.eng)).find((g) => g.group === "etcchecklist").items;
    const row = 1 + settings.findIndex((item) => item.method === "Modify" && item.param === "UseSWRender");
    assert.equal(settings[row - 1].colour, "FF0000", "hardware rendering is red before the repair");
    await page.click(`#group-etcchecklist tbody tr:nth-child(${row}) td.solution button`);
    await until(page, (selector) => getComputedStyle(document.querySelector(selector)).color === "rgb(0, 0, 0)",
                `#group-etcchecklist tbody tr:nth-child(${row}) td.verdict`);
    assert.equal(await assertShows(page, repaired), redBefore - 1);
    await page.screenshot({path: path.join(artefacts, "diagnose_en_repaired.png"), fullPage: true});
});
