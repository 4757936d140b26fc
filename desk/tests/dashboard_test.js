// The desk's dashboard in headless Chromium against the real service: the reports that the real control
// produced in this test run (capture-reports.sh), in English and Korean, are posted to /report, then the
// desk logs in, reads the charts and the red items by ticket, lists and pages, filters, opens one report
// and a ticket's history, in English and in Korean. Screenshots go to OMNI_ARTEFACTS.
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
const basic = "Basic " + Buffer.from("desk:" + password).toString("base64");
// Oldest first: the list shows them the other way round. The same PC in both languages; then the
// English one after the repair of software rendering.
const posted = [
    {ticket: "T-100", lang: "eng", xml: read("report_en.xml")},
    {ticket: "T-200", lang: "kor", xml: read("report_ko.xml")},
    {ticket: "T-100", lang: "eng", xml: read("report_en_repaired.xml")}
];
const rendering = {key: "etcchecklist/software-rendering", en: "Use IE Software Acceleration (Version 10 or higher)",
                   ko: "IE Software 가속 설정(버전 10이상일때)"};
const tabs = {key: "etcchecklist/ie-32bit-tabs", en: "IE 32bit tab setup (64bit OS, IE 9 or higher)",
              ko: "IE 32bit 탭 설정(64bit OS, IE 버전 9이상 일때)"};
const korean = {"Accept-Language": "ko-KR,ko;q=0.9,en-US;q=0.8"};

let browser, desk, base, scratch;

async function post(xml, lang, ticket, addons = "") {
    const body = `txt_diagnosis=${encodeURIComponent(xml)}&txt_ie_addons=${encodeURIComponent(addons)}&txt_lang=${lang}`;
    const answer = await fetch(`${base}/report?ticket=${encodeURIComponent(ticket)}`, {
        method: "POST", body, headers: {"Content-Type": "application/x-www-form-urlencoded"}});
    assert.equal(answer.status, 200, await answer.text());
}

const apiGet = async (address) => (await fetch(base + address, {headers: {Authorization: basic}})).json();

async function startDesk() {
    scratch = fs.mkdtempSync(path.join(os.tmpdir(), "desk-dashboard-"));
    desk = spawn(process.env.OMNI_DESK_BINARY, ["--port", "0", "--rate", "0", "--db", path.join(scratch, "desk.sqlite")],
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
    for (const report of posted) await post(report.xml, report.lang, report.ticket);
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

const until = (page, predicate, argument) => page.waitForFunction(predicate, {polling: 50, timeout: 60000}, argument);
const shot = (page, name) => page.screenshot({path: path.join(artefacts, name), fullPage: true});
const text = (page, selector) => page.$eval(selector, (e) => e.textContent);
const rowsOf = (page, selector) => page.$$eval(selector, (rows) => rows.length);
const listed = (page) => page.$$eval("#reports tbody tr", (rows) => rows.map((row) => ({
    ticket: row.querySelector("td.ticket").textContent, lang: row.querySelector("td.lang").textContent,
    items: Number(row.querySelector("td.item-count").textContent),
    red: Number(row.querySelector("td.red-count").textContent)})));
const chartBars = (page) => page.$$eval("#chart rect.bar", (rects) => rects.map((r) => ({
    key: r.dataset.key, reports: Number(r.dataset.reports), width: Number(r.getAttribute("width")),
    title: r.querySelector("title").textContent})));

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

// Each test logs in from a fresh profile, so no session carries over; `headers` choose the browser's language.
async function loggedIn(t, headers = {}) {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    const errors = [];
    page.on("pageerror", (error) => errors.push(error.message));
    t.after(async () => {
        await context.close();
        assert.deepEqual(errors, [], "script errors on the page");
    });
    await page.setExtraHTTPHeaders(headers);
    await page.setViewport({width: 1200, height: 900});
    await page.goto(base + "/", {waitUntil: "load"});
    await page.type("#password", password);
    await Promise.all([page.waitForNavigation({waitUntil: "load"}), page.click("#login button")]);
    await until(page, () => document.querySelectorAll("#reports tbody tr").length > 0 &&
                            document.querySelectorAll("#chart rect.bar").length > 0 &&
                            (document.querySelector("#days rect") !== null ||
                             document.getElementById("days-status").textContent !== "") &&
                            document.querySelector("#account").textContent !== "");
    return page;
}

test("a wrong password keeps the login form, in the browser's language, and shows nothing of the reports", async (t) => {
    const context = await browser.createBrowserContext();
    const page = await context.newPage();
    t.after(() => context.close());
    const answer = await page.goto(base + "/", {waitUntil: "load"});
    assert.equal(answer.status(), 401);
    await shot(page, "desk_login.png");
    await page.type("#password", "wrong");
    await Promise.all([page.waitForNavigation({waitUntil: "load"}), page.click("#login button")]);
    assert.equal(await text(page, "#login-message"), "Wrong user or password.");
    assert.equal(await page.$("#reports"), null);
    assert.ok(!(await page.content()).includes("T-100"));

    await page.setExtraHTTPHeaders(korean);
    await page.goto(base + "/", {waitUntil: "load"});
    assert.deepEqual(await page.$$eval("label, button", (e) => e.map((x) => x.textContent)), ["사용자", "비밀번호", "로그인"]);
    await page.type("#password", "wrong");
    await Promise.all([page.waitForNavigation({waitUntil: "load"}), page.click("#login button")]);
    assert.equal(await text(page, "#login-message"), "사용자 이름 또는 비밀번호가 틀렸습니다.");
});

test("after login the list shows every report newest first, and the filters narrow it", async (t) => {
    const page = await loggedIn(t);
    const red = (xml) => (xml.match(/<resultcolor>FF0000<\/resultcolor>/g) || []).length;
    const items = (xml) => (xml.match(/<item>/g) || []).length;
    const names = {eng: "English", kor: "Korean"};
    assert.deepEqual(await listed(page), posted.slice().reverse().map((r) => (
        {ticket: r.ticket, lang: names[r.lang], items: items(r.xml), red: red(r.xml)})));
    assert.equal(await text(page, "#list-status"), "3 reports, newest first");
    assert.equal(await text(page, "#account"), "desk");
    await shot(page, "desk_list.png");

    await page.type("#filter-ticket", "T-100");
    await page.click("#apply");
    await until(page, () => document.querySelectorAll("#reports tbody tr").length === 2);
    assert.deepEqual((await listed(page)).map((r) => r.ticket), ["T-100", "T-100"]);

    // Software rendering is red before the repair only: one English report of this ticket.
    const option = await page.$eval(`#filter-red option[value="${rendering.key}"]`, (o) => o.textContent);
    assert.equal(option, rendering.en);
    await page.select("#filter-red", rendering.key);
    await page.click("#apply");
    await until(page, () => document.querySelectorAll("#reports tbody tr").length === 1);
    assert.equal((await listed(page))[0].red, red(posted[0].xml));
    assert.equal(await text(page, "#list-status"), "1 report, newest first");
    assert.match(await page.$eval("#csv", (a) => a.href),
                 /reports\.csv\?ticket=T-100&red=etcchecklist%2Fsoftware-rendering$/);

    await page.$eval("#filter-ticket", (input) => { input.value = ""; });
    await page.select("#filter-red", "");
    await page.$eval("#filter-from", (input) => { input.value = "2001-01-01"; });
    await page.$eval("#filter-to", (input) => { input.value = "2001-12-31"; });
    await page.click("#apply");
    await until(page, () => document.querySelectorAll("#reports tbody tr").length === 0);
    assert.equal(await text(page, "#list-status"), "No reports match.");

    // The switch shows the dashboard in Korean, and keeps it so.
    await Promise.all([page.waitForNavigation({waitUntil: "load"}), page.click("#language")]);
    await until(page, () => document.querySelectorAll("#reports tbody tr").length > 0);
    assert.equal(await text(page, "#list-section h2"), "보고서");
    await page.goto(base + "/", {waitUntil: "load"});
    assert.equal(await text(page, "#list-section h2"), "보고서");
});

test("one report is laid out by groups, each verdict in its colour", async (t) => {
    const page = await loggedIn(t);
    await page.click("#reports tbody tr:nth-child(2) td.id");  // the Korean report
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
    assert.match(await text(page, "#report-meta"), /, ticket T-200, language Korean$/);
    assert.equal(await text(page, "#report-status"), "9 of 22 items need attention.");
    await shot(page, "desk_report.png");
});

test("the chart has one bar per item key, whatever the report's language, and a bar filters the list", async (t) => {
    const page = await loggedIn(t);
    const summary = await page.evaluate(() => fetch("/api/summary").then((r) => r.json()));
    const bars = await chartBars(page);
    assert.deepEqual(bars.map((b) => [b.key, b.reports]), summary.slice(0, 15).map((c) => [c.key, c.reports]));
    assert.equal(new Set(bars.map((b) => b.key)).size, bars.length);
    // The Korean and the English report of one PC count once each, under one name.
    assert.deepEqual(bars.find((b) => b.key === rendering.key).title, `${rendering.en}: red on 2 reports`);
    assert.deepEqual(bars.find((b) => b.key === tabs.key).title, `${tabs.en}: red on 3 reports`);
    assert.equal(bars.length, 9);
    // Bars are as long as their counts: the longest is the item most often red.
    const unit = bars[0].width / bars[0].reports;
    for (const bar of bars) assert.ok(Math.abs(bar.width - unit * bar.reports) <= 1, `${bar.key}: ${bar.width}`);
    // Today: three reports, each with a red item.
    const today = new Date().toISOString().slice(0, 10);
    assert.deepEqual(await page.$eval(`#days rect.day-red[data-day="${today}"]`, (r) => [r.dataset.red, r.dataset.reports]),
                     ["3", "3"]);
    await shot(page, "desk_chart.png");

    const index = bars.findIndex((b) => b.key === rendering.key);
    await page.click(`#chart rect.bar:nth-of-type(${index + 1})`);
    await until(page, () => document.querySelectorAll("#reports tbody tr").length === 2);
    assert.equal(await page.$eval("#filter-red", (s) => s.value), rendering.key);

    // A period without reports has no bars.
    await page.$eval("#chart-to", (input) => { input.value = "2001-01-01"; });
    await page.click("#period button");
    // The chart and the days come from two requests, which may answer in either order.
    await until(page, () => document.querySelectorAll("#chart rect.bar").length === 0 &&
                            document.getElementById("days-status").textContent !== "");
    assert.equal(await text(page, "#chart-total"), "No red items in this period.");
    assert.equal(await text(page, "#days-status"), "No reports in this period.");
});

test("red items by ticket show each ticket's newest report, filtered by an item", async (t) => {
    const page = await loggedIn(t);
    await until(page, () => document.querySelectorAll("#red-tickets tbody tr").length === 2);
    const marks = () => page.$$eval("#red-tickets tbody tr", (rows, key) => rows.map((row) => [
        row.querySelector("td.ticket").textContent,
        row.querySelector(`td[data-key="${key}"]`) ? row.querySelector(`td[data-key="${key}"]`).textContent : "none"]),
        rendering.key);
    // The repair on T-100's newest report turned software rendering black; T-200's stays red.
    assert.deepEqual(await marks(), [["T-100", ""], ["T-200", "●"]]);
    assert.equal(await page.$eval(`#red-tickets th[data-key="${rendering.key}"]`, (e) => e.textContent), rendering.en);
    await shot(page, "desk_red_tickets.png");
    await page.select("#tickets-red", rendering.key);
    await page.click("#ticket-filters button");
    await until(page, () => document.querySelectorAll("#red-tickets tbody tr").length === 1);
    assert.deepEqual(await marks(), [["T-200", "●"]]);
});

// The ticket's reports in time order and what the repair changed; opened from the list's link while the
// ticket is on its first page, else at its address.
async function ticketHistory(page, language) {
    if (await page.$$eval("#reports td.ticket a", (links) => links.some((a) => a.textContent === "T-100")))
        await page.$$eval("#reports td.ticket a", (links) => links.find((a) => a.textContent === "T-100").click());
    else await page.goto(base + "/tickets/T-100", {waitUntil: "load"});
    await page.waitForFunction(() => window.location.pathname === "/tickets/T-100" &&
                               document.querySelectorAll("#history tbody tr").length > 0, {timeout: 60000});
    const shown = await page.$$eval("#history tbody tr", (rows) => rows.map((row) => ({
        id: Number(row.querySelector("td.id").textContent), red: Number(row.querySelector("td.red-count").textContent),
        black: Array.from(row.querySelectorAll("td.turned-black span"), (s) => s.textContent),
        turnedRed: Array.from(row.querySelectorAll("td.turned-red span"), (s) => s.textContent)})));
    assert.deepEqual(shown.map((r) => [r.black, r.turnedRed]), [[[], []], [[rendering[language]], []]]);
    // The view is the API's answer.
    const history = await page.evaluate(() => fetch("/api/tickets/T-100").then((r) => r.json()));
    assert.equal(history.total, 2);
    assert.deepEqual(shown.map((r) => [r.id, r.red, r.black.length, r.turnedRed.length]),
                     history.reports.map((r) => [r.id, r.red, (r.turned_black || []).length, (r.turned_red || []).length]));
    assert.deepEqual(history.reports[1].turned_black, [rendering.key]);
    // A report of the history opens below it.
    await page.click("#history tbody tr:nth-child(2)");
    await until(page, () => document.querySelectorAll("#report tr.item").length > 0);
    return page;
}

test("a ticket's history shows the item that the repair turned black, as its API says", async (t) => {
    const page = await ticketHistory(await loggedIn(t), "en");
    assert.equal(await text(page, "#ticket-status"), "2 reports, oldest first");
    await shot(page, "desk_ticket.png");
});

test("a long subject does not stretch the red-item choice across the page", async (t) => {
    const subject = "Z".repeat(40) + " a very long subject ".repeat(12) + ".dll";
    await post(`<diagnosis><group class="dll"><item><subject>${subject}</subject><resultcolor>FF0000</resultcolor>` +
               "<resultmsg>missing</resultmsg><solutionmsg type=\"text\"/></item></group></diagnosis>", "eng", "T-300");
    const page = await loggedIn(t);
    await until(page, (s) => Array.from(document.querySelectorAll("#filter-red option")).some((o) => o.textContent === s),
                subject);
    const width = await page.$eval("#filter-red", (s) => s.getBoundingClientRect().width);
    assert.ok(width < 400, `the choice is ${width} px wide`);
    assert.ok(await page.evaluate(() => document.documentElement.scrollWidth <= window.innerWidth), "the page scrolls sideways");
});

test("paging reaches the oldest report", async (t) => {
    for (let i = 0; i < 230; i++) await post("<diagnosis></diagnosis>", "eng", `bulk-${i}`);
    const total = Number((await fetch(base + "/api/reports?limit=1", {headers: {Authorization: basic}}))
        .headers.get("X-Total-Count"));
    assert.ok(total > 200 && total <= 300, `${total} reports`);
    const page = await loggedIn(t);
    assert.equal(await text(page, "#list-status"), `1–100 of ${total} reports, newest first`);
    assert.ok(await page.$eval("#newer", (b) => b.disabled));
    for (const first of [101, 201]) {
        await page.click("#older");
        await until(page, (status) => document.querySelector("#list-status").textContent === status,
                    `${first}–${Math.min(first + 99, total)} of ${total} reports, newest first`);
    }
    assert.ok(await page.$eval("#older", (b) => b.disabled));
    const ids = await page.$$eval("#reports td.id", (cells) => cells.map((c) => Number(c.textContent)));
    assert.equal(ids[ids.length - 1], 1);  // the oldest of all, T-100's first report
    assert.equal(await rowsOf(page, "#reports tbody tr"), total - 200);
    await shot(page, "desk_paging.png");
    await page.click("#newer");
    await until(page, (status) => document.querySelector("#list-status").textContent === status,
                `101–200 of ${total} reports, newest first`);
});

// Every text node and every text an attribute shows, outside the reports' own data and the switch (which
// names English in English): no Latin letters but in the names that the Korean control's report itself
// uses (its subjects, which name files and products) and in "Zentra" and "CSV".
async function englishLeft(page) {
    return page.evaluate((reportXml) => {
        const subjects = Array.from(new DOMParser().parseFromString(reportXml, "text/xml").getElementsByTagName("subject"),
                                    (s) => s.textContent).sort((a, b) => b.length - a.length);
        const allowed = [...subjects, "Zentra", "CSV"];
        const texts = [document.title];
        const walker = document.createTreeWalker(document.body, NodeFilter.SHOW_TEXT);
        for (let node; (node = walker.nextNode());) {
            if (node.parentElement.closest(".data, [lang]:not([lang='ko'])")) continue;
            texts.push(node.nodeValue);
        }
        for (const element of document.querySelectorAll("[aria-label], [title], [placeholder], [alt]"))
            for (const name of ["aria-label", "title", "placeholder", "alt"])
                if (element.hasAttribute(name)) texts.push(element.getAttribute(name));
        const left = [];
        for (let text of texts) {
            for (const word of allowed) text = text.split(word).join("");
            if (/[A-Za-z]/.test(text)) left.push(text);
        }
        return left;
    }, read("report_ko.xml"));
}

test("the Korean dashboard has no English text left, in every view", async (t) => {
    const page = await loggedIn(t, korean);
    assert.equal(await page.$eval("html", (e) => e.lang), "ko");
    const bars = await chartBars(page);
    assert.equal(bars.find((b) => b.key === tabs.key).title, `${tabs.ko}: 보고서 3건에서 빨간색`);
    assert.match(await text(page, "#list-status"), /^보고서 \d+건 중 1–100번째, 최신순$/);
    await page.click("#reports tbody tr:nth-child(1) td.id");
    await until(page, () => !document.querySelector("#report-section").hidden);
    assert.deepEqual(await englishLeft(page), []);
    await shot(page, "desk_korean.png");
    await ticketHistory(page, "ko");
    assert.equal(await text(page, "#ticket-status"), "보고서 2건, 오래된 순");
    assert.deepEqual(await englishLeft(page), []);
    await shot(page, "desk_ticket_ko.png");
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
        `<addition>${xmlText(hostile.addition)}</addition></item></group>` +
        `<group class="dll"><item><subject>${xmlText(hostile.subject)}</subject><resultcolor>FF0000</resultcolor>` +
        `<resultmsg/><solutionmsg type="text"/></item></group></diagnosis>`;
    await post(xml, "eng", hostile.ticket, hostile.addons);

    const page = await loggedIn(t);
    const injected = () => page.$$eval("[data-injected]", (elements) => elements.map((e) => e.outerHTML));
    await until(page, (ticket) => Array.from(document.querySelectorAll("#reports td.ticket"))
        .some((cell) => cell.textContent === ticket), hostile.ticket);
    await until(page, (ticket) => Array.from(document.querySelectorAll("#red-tickets td.ticket"))
        .some((cell) => cell.textContent === ticket), hostile.ticket);
    // The file's name is the subject: a bar, a column and a choice of its own, each as text.
    await until(page, (subject) => Array.from(document.querySelectorAll("#chart rect.bar title"))
        .some((title) => title.textContent.startsWith(subject)), hostile.subject);
    assert.ok(await page.$$eval("#red-tickets th", (cells, s) => cells.some((c) => c.textContent === s), hostile.subject));
    assert.deepEqual(await injected(), []);
    await page.$$eval("#reports tbody tr", (rows, ticket) => rows.find((row) =>
        row.querySelector("td.ticket").textContent === ticket).querySelector("td.id").click(), hostile.ticket);
    await until(page, () => document.querySelectorAll("#report tr.item").length === 2);
    const shown = await page.$eval("#report tr.item", (row) => ({
        subject: row.querySelector("td.subject").textContent,
        state: row.querySelector("td.state").textContent,
        verdict: row.querySelector("td.verdict").firstChild.nodeValue,
        addition: row.querySelector("td.verdict span.addition").textContent,
        solution: row.querySelector("td.solution").textContent
    }));
    assert.deepEqual(shown, {subject: hostile.subject, state: hostile.state, verdict: hostile.verdict,
                             addition: hostile.addition, solution: `${hostile.label}: Modify(IePopop)`});
    assert.equal(await text(page, "#report-addons"), hostile.addons);
    assert.match(await text(page, "#report-meta"), /ticket <b data-injected="ticket">T-666<\/b>,/);
    assert.deepEqual(await injected(), []);
    // Its ticket's history, at an address made of the ticket.
    await page.$$eval("#reports td.ticket a", (links, ticket) => links.find((a) => a.textContent === ticket).click(),
                      hostile.ticket);
    await page.waitForFunction(() => document.querySelectorAll("#history tbody tr").length === 1, {timeout: 60000});
    assert.equal(await text(page, "#ticket-name"), hostile.ticket);
    assert.deepEqual(await injected(), []);
    assert.equal(await page.evaluate(() => window.injected), undefined);
});
