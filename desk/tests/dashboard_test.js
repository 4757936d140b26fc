// The desk's dashboard in headless Chromium against the real service: the reports that the real control
// produced in this test run (capture-reports.sh) are posted to /report, then the desk logs in, lists,
// filters, opens one report and reads the chart. Screenshots go to OMNI_ARTEFACTS.
// Environment: OMNI_DESK_BINARY, OMNI_WEB_REPORTS, OMNI_ARTEFACTS, OMNI_CHROMIUM; puppeteer-core
// through NODE_PATH.
"use strict";
const {test, before, after} = require("node:test");
const assert = require("node:assert/strict");
const {spawn} = require("node:child_process");
const fs = require("node:fs");
const os = require("node:os");
const path = require("node:path");
const puppeteer = require("puppeteer-core");

const artefacts = process.env.OMNI_ARTEFACTS;
const read = (name) => fs.readFileSync(path.join(process.env.OMNI_WEB_REPORTS, name), "utf8");
const password = "dashboard test 42";
// Oldest first: the list shows them the other way round.
const posted = [
    {ticket: "T-100", lang: "eng", xml: read("report_en.xml")},
    {ticket: "T-200", lang: "kor", xml: read("report_ko.xml")},
    {ticket: "T-100", lang: "eng", xml: read("report_en_repaired.xml")}
];
const softwareRendering = "Use IE Software Acceleration (Version 10 or higher)";

let browser, desk, base, scratch;

async function startDesk() {
    scratch = fs.mkdtempSync(path.join(os.tmpdir(), "desk-dashboard-"));
    desk = spawn(process.env.OMNI_DESK_BINARY, ["--port", "0", "--db", path.join(scratch, "desk.sqlite")],
                 {env: {...process.env, OMNI_DESK_PASSWORD: password}, stdio: ["ignore", "pipe", "inherit"]});
    let banner = "";
    const port = await new Promise((resolve, reject) => {
        desk.stdout.on("data", (chunk) => {
            banner += chunk;
            const found = /dashboard at http:\/\/127\.0\.0\.1:(\d+)\//.exec(banner);
            if (found && banner.includes("storage:")) resolve(found[1]);
        });
        desk.on("exit", (code) => reject(new Error(`omniprobe-desk ended (${code}): ${banner}`)));
    });
    base = `http://127.0.0.1:${port}`;
    for (const report of posted) {
        const body = `txt_diagnosis=${encodeURIComponent(report.xml)}&txt_ie_addons=&txt_lang=${report.lang}`;
        const answer = await fetch(`${base}/report?ticket=${report.ticket}`, {
            method: "POST", body, headers: {"Content-Type": "application/x-www-form-urlencoded"}});
        assert.equal(answer.status, 200, await answer.text());
    }
}

before(async () => {
    await startDesk();
    browser = await puppeteer.launch({executablePath: process.env.OMNI_CHROMIUM || "/usr/bin/chromium",
                                      headless: true, args: ["--no-sandbox", "--disable-gpu"]});
    fs.mkdirSync(artefacts, {recursive: true});
});
after(async () => {
    if (browser) await browser.close();
    if (desk) desk.kill("SIGTERM");
    if (scratch) fs.rmSync(scratch, {recursive: true, force: true});
});

const until = (page, predicate, argument) => page.waitForFunction(predicate, {polling: 50, timeout: 10000}, argument);
const shot = (page, name) => page.screenshot({path: path.join(artefacts, name), fullPage: true});
const listed = (page) => page.$$eval("#reports tbody tr", (rows) => rows.map((row) => ({
    ticket: row.querySelector("td.ticket").textContent, lang: row.querySelector("td.lang").textContent,
    items: Number(row.querySelector("td.item-count").textContent),
    red: Number(row.querySelector("td.red-count").textContent)})));

// The report's groups and items read by the browser's own XML parser, not by the dashboard.
function itemsOf(page, xml) {
    return page.evaluate((text) => {
        const root = new DOMParser().parseFromString(text, "text/xml").documentElement;
        return Array.from(root.children).map((group) => ({
            group: group.getAttribute("class"),
            items: Array.from(group.getElementsByTagName("item")).map((item) => {
                const field = (name) => (item.getElementsByTagName(name)[0] || {}).textContent || "";
                return {subject: field("subject"), verdict: field("resultmsg"), colour: field("resultcolor")};
            })
        }));
    }, xml);
}

// Each test logs in from a fresh profile, so no session carries over.
async function loggedIn(t) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    const errors = [];
    page.on("pageerror", (error) => errors.push(error.message));
    t.after(async () => {
        await context.close();
        assert.deepEqual(errors, [], "script errors on the page");
    });
    await page.setViewport({width: 1200, height: 900});
    await page.goto(base + "/", {waitUntil: "load"});
    await page.type("#password", password);
    await Promise.all([page.waitForNavigation({waitUntil: "load"}), page.click("#login button")]);
    await until(page, () => document.querySelectorAll("#reports tbody tr").length > 0);
    return page;
}

test("a wrong password keeps the login form and shows nothing of the reports", async (t) => {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    t.after(() => context.close());
    const answer = await page.goto(base + "/", {waitUntil: "load"});
    assert.equal(answer.status(), 401);
    await shot(page, "desk_login.png");
    await page.type("#password", "wrong");
    await Promise.all([page.waitForNavigation({waitUntil: "load"}), page.click("#login button")]);
    assert.equal(await page.$eval("#login-message", (e) => e.textContent), "Wrong user or password.");
    assert.equal(await page.$("#reports"), null);
    assert.ok(!(await page.content()).includes("T-100"));
});

test("after login the list shows every report newest first, and the filters narrow it", async (t) => {
    const page = await loggedIn(t);
    const red = (xml) => (xml.match(/<resultcolor>FF0000<\/resultcolor>/g) || []).length;
    const items = (xml) => (xml.match(/<item>/g) || []).length;
    assert.deepEqual(await listed(page), posted.slice().reverse().map((r) => (
        {ticket: r.ticket, lang: r.lang, items: items(r.xml), red: red(r.xml)})));
    await shot(page, "desk_list.png");

    await page.type("#filter-ticket", "T-100");
    await page.click("#apply");
    await until(page, () => document.querySelectorAll("#reports tbody tr").length === 2);
    assert.deepEqual((await listed(page)).map((r) => r.ticket), ["T-100", "T-100"]);

    // Hardware rendering is red before the repair only: one English report.
    await page.select("#filter-red", softwareRendering);
    await page.click("#apply");
    await until(page, () => document.querySelectorAll("#reports tbody tr").length === 1);
    assert.equal((await listed(page))[0].red, red(posted[0].xml));
    assert.match(await page.$eval("#csv", (a) => a.href), /reports\.csv\?ticket=T-100&red=Use\+IE/);

    await page.$eval("#filter-ticket", (input) => { input.value = ""; });
    await page.select("#filter-red", "");
    await page.$eval("#filter-from", (input) => { input.value = "2001-01-01"; });
    await page.$eval("#filter-to", (input) => { input.value = "2001-12-31"; });
    await page.click("#apply");
    await until(page, () => document.querySelectorAll("#reports tbody tr").length === 0);
    assert.equal(await page.$eval("#list-status", (e) => e.textContent), "No reports match.");
});

test("one report is laid out by groups, each verdict in its colour", async (t) => {
    const page = await loggedIn(t);
    await page.click("#reports tbody tr:nth-child(2)");  // the Korean report
    await until(page, () => !document.querySelector("#report-section").hidden &&
                            document.querySelectorAll("#report tr.item").length > 0);
    const expected = await itemsOf(page, posted[1].xml);
    const shown = await page.$$eval("#report div.section", (sections) => sections.map((s) => ({
        group: s.id.replace(/^group-/, ""),
        items: Array.from(s.querySelectorAll("tbody tr"), (row) => {
            const verdict = row.querySelector("td.verdict");
            return {subject: row.querySelector("td.subject").textContent, verdict: verdict.firstChild.nodeValue,
                    colour: getComputedStyle(verdict).color};
        })
    })));
    assert.deepEqual(shown.map((g) => g.group), ["basic", "ocx_z4", "ocx_z3", "etcchecklist", "dll"]);
    const colour = {"FF0000": "rgb(255, 0, 0)", "000000": "rgb(0, 0, 0)"};
    assert.deepEqual(shown, expected.map((g) => ({group: g.group, items: g.items.map((item) => (
        {subject: item.subject, verdict: item.verdict, colour: colour[item.colour]}))})));
    assert.match(await page.$eval("#report-meta", (e) => e.textContent), /ticket T-200, language kor/);
    await shot(page, "desk_report.png");
});

test("the chart shows the items most often red, and a bar filters the list by its item", async (t) => {
    const page = await loggedIn(t);
    const summary = await page.evaluate(() => fetch("/api/summary").then((r) => r.json()));
    await until(page, () => document.querySelectorAll("#chart rect.bar").length > 0);
    const bars = await page.$$eval("#chart rect.bar", (rects) => rects.map((r) => ({
        subject: r.dataset.subject, reports: Number(r.dataset.reports), width: Number(r.getAttribute("width"))})));
    assert.deepEqual(bars.map((b) => [b.subject, b.reports]), summary.slice(0, 15).map((c) => [c.subject, c.reports]));
    // Bars are as long as their counts: the longest is the item most often red.
    const unit = bars[0].width / bars[0].reports;
    for (const bar of bars) assert.ok(Math.abs(bar.width - unit * bar.reports) <= 1, `${bar.subject}: ${bar.width}`);
    assert.equal(summary.find((c) => c.subject === softwareRendering).reports, 1);
    await shot(page, "desk_chart.png");

    const index = bars.findIndex((b) => b.subject === softwareRendering);
    await page.click(`#chart rect.bar:nth-of-type(${index + 1})`);
    await until(page, () => document.querySelectorAll("#reports tbody tr").length === 1);
    assert.equal(await page.$eval("#filter-red", (s) => s.value), softwareRendering);

    // A period without reports has no bars.
    await page.$eval("#chart-to", (input) => { input.value = "2001-01-01"; });
    await page.click("#period button");
    await until(page, () => document.querySelectorAll("#chart rect.bar").length === 0);
    assert.equal(await page.$eval("#chart-total", (e) => e.textContent), "No red items in this period.");
});

// A report as an attacker would post it: markup in every text the dashboard shows. Each must appear as the
// very text it is, and no element of it may exist on the page.
test("a hostile report's texts are shown as text and inject nothing", async (t) => {
    const hostile = {
        ticket: '<b data-injected="ticket">T-666</b>',
        subject: '<img data-injected="subject" src="x" onerror="window.injected=1">',
        state: '<i data-injected="state">11.0</i>',
        verdict: '<b data-injected="verdict">red</b> & "quoted"',
        addition: '<script data-injected="addition">window.injected=1</script>',
        label: '<a data-injected="label" href="#">repair</a>',
        addons: '1. <iframe data-injected="addons"></iframe>\r\n2. <b data-injected="addons">x</b>'
    };
    const xmlText = (text) => text.replace(/&/g, "&amp;").replace(/</g, "&lt;").replace(/>/g, "&gt;").replace(/"/g, "&quot;");
    const xml = `<?xml version="1.0" encoding="UTF-8"?><diagnosis><group class="etcchecklist"><item>` +
        `<subject>${xmlText(hostile.subject)}</subject><lenvmsg>${xmlText(hostile.state)}</lenvmsg>` +
        `<resultcolor>FF0000</resultcolor><resultmsg>${xmlText(hostile.verdict)}</resultmsg>` +
        `<solutionmsg type="method" value="Modify" param="IePopop">${xmlText(hostile.label)}</solutionmsg>` +
        `<addition>${xmlText(hostile.addition)}</addition></item></group></diagnosis>`;
    const body = `txt_diagnosis=${encodeURIComponent(xml)}&txt_ie_addons=${encodeURIComponent(hostile.addons)}&txt_lang=eng`;
    const answer = await fetch(`${base}/report?ticket=${encodeURIComponent(hostile.ticket)}`, {
        method: "POST", body, headers: {"Content-Type": "application/x-www-form-urlencoded"}});
    assert.equal(answer.status, 200, await answer.text());

    const page = await loggedIn(t);
    const injected = () => page.$$eval("[data-injected]", (elements) => elements.map((e) => e.outerHTML));
    await until(page, (ticket) => Array.from(document.querySelectorAll("#reports td.ticket"))
        .some((cell) => cell.textContent === ticket), hostile.ticket);
    await until(page, () => document.querySelectorAll("#chart rect.bar").length > 0);
    assert.deepEqual(await injected(), []);
    await page.$$eval("#reports tbody tr", (rows, ticket) => rows.find((row) =>
        row.querySelector("td.ticket").textContent === ticket).click(), hostile.ticket);
    await until(page, () => document.querySelectorAll("#report tr.item").length === 1);
    const shown = await page.$eval("#report tr.item", (row) => ({
        subject: row.querySelector("td.subject").textContent,
        state: row.querySelector("td.state").textContent,
        verdict: row.querySelector("td.verdict").firstChild.nodeValue,
        addition: row.querySelector("td.verdict span.addition").textContent,
        solution: row.querySelector("td.solution").textContent
    }));
    assert.deepEqual(shown, {subject: hostile.subject, state: hostile.state, verdict: hostile.verdict,
                             addition: hostile.addition, solution: `${hostile.label}: Modify(IePopop)`});
    assert.equal(await page.$eval("#report-addons", (e) => e.textContent), hostile.addons);
    assert.match(await page.$eval("#report-meta", (e) => e.textContent), /ticket <b data-injected="ticket">T-666<\/b>,/);
    assert.deepEqual(await injected(), []);
    assert.equal(await page.evaluate(() => window.injected), undefined);
});
