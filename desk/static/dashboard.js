// The desk's dashboard: the red items over a period by item, by day and by ticket; the reports, a page at a
// time, with their filters; one report laid out by groups in its verdict colours (as the diagnosis page
// shows it to the user); and, at /tickets/<ticket>, a ticket's reports with what changed from one to the
// next. Every text comes from the language's table (texts.js). Every text of a report goes into the page
// as text, never as markup: reports come from users' PCs.
"use strict";

const t = deskTexts[document.documentElement.lang === "ko" ? "ko" : "en"];
const svgNs = "http://www.w3.org/2000/svg";
const pageSize = 100;

const byId = (id) => document.getElementById(id);

function append(parent, tag, className, text) {
    const element = document.createElement(tag);
    if (className) element.className = className;
    if (text) element.textContent = text;
    parent.appendChild(element);
    return element;
}

function svg(parent, tag, attributes, text) {
    const element = document.createElementNS(svgNs, tag);
    for (const [name, value] of Object.entries(attributes)) element.setAttribute(name, value);
    if (text) element.textContent = text;
    parent.appendChild(element);
    return element;
}

async function call(path) {
    const response = await fetch(path, {credentials: "same-origin"});
    if (response.status === 401) {
        window.location.href = "/";  // the session ended: back to the login form
        throw new Error("401");
    }
    const body = await response.json();
    if (!response.ok) throw new Error(body.error || response.statusText);
    return {body, total: Number(response.headers.get("X-Total-Count"))};
}
const api = async (path) => (await call(path)).body;

function query(fields) {
    const parameters = new URLSearchParams();
    for (const [name, value] of Object.entries(fields)) if (value) parameters.set(name, value);
    const text = parameters.toString();
    return text ? "?" + text : "";
}

// An item's name in the dashboard's language: the control's subject for a rule; the file for a control
// or a DLL; the subject the report gave where its rule is unknown.
function itemName(key) {
    if (t.itemNames[key]) return t.itemNames[key];
    const again = /^(.+)#(\d+)$/.exec(key);
    if (again) return itemName(again[1]) + " #" + again[2];
    const rest = key.slice(key.indexOf("/") + 1);
    return rest.startsWith("subject:") ? rest.slice(8) : rest;
}

// A name that the table does not give is the report's own text (a file, a subject): data, not the dashboard's.
const nameClass = (key, className) => t.itemNames[key] ? className : (className + " data").trim();

const timeText = (iso) => t.time(new Date(iso));
const languageName = (code) => t.languages[code] || code;
const ticketLink = (parent, ticket) => {
    const link = append(parent, "a", "", ticket);
    link.href = "/tickets/" + encodeURIComponent(ticket);
    return link;
};

function showError(error) {
    byId("list-status").textContent = t.error + " " + error.message;
}

// --- The period's charts: the items most often red, and the reports with a red item per day

function period() {
    return {from: byId("chart-from").value, to: byId("chart-to").value};
}

async function showChart() {
    const counts = await api("/api/summary" + query(period()));
    const chart = byId("chart");
    chart.replaceChildren();
    byId("chart-total").textContent = counts.length ? "" : t.noRedItems;
    const shown = counts.slice(0, 15);
    const labelWidth = 340, barWidth = 420, rowHeight = 24;
    const most = Math.max(1, ...shown.map((c) => c.reports));
    const drawing = svg(chart, "svg", {width: labelWidth + barWidth + 60, height: shown.length * rowHeight + 4,
                                       role: "img", "aria-label": t.chartTitle});
    shown.forEach((count, i) => {
        const y = i * rowHeight, name = itemName(count.key);
        svg(drawing, "text", {class: nameClass(count.key, "label"), x: labelWidth - 8, y: y + 16, "text-anchor": "end"},
            name.length > 48 ? name.slice(0, 47) + "…" : name);
        const width = Math.max(2, Math.round(barWidth * count.reports / most));
        const bar = svg(drawing, "rect", {class: nameClass(count.key, "bar"), x: labelWidth, y: y + 4,
                                          height: rowHeight - 8, width});
        bar.dataset.key = count.key;
        bar.dataset.reports = count.reports;
        svg(bar, "title", {}, t.redOn(name, count.reports));
        svg(drawing, "text", {class: "count", x: labelWidth + width + 6, y: y + 16}, String(count.reports));
        // A bar filters the list by its item.
        bar.addEventListener("click", () => {
            byId("filter-red").value = count.key;
            listPaging.reset();
            showList().catch(showError);
        });
    });
}

const dayMs = 24 * 3600 * 1000;
const dayOf = (date) => new Date(date + "T00:00:00Z").getTime();
const dateText = (ms) => new Date(ms).toISOString().slice(0, 10);

async function showDays() {
    const days = await api("/api/days" + query(period()));
    const container = byId("days");
    container.replaceChildren();
    byId("days-status").textContent = days.length ? "" : t.noDays;
    if (!days.length) return;
    const byDay = new Map(days.map((d) => [d.day, d]));
    let first = period().from ? dayOf(period().from) : dayOf(days[0].day);
    const last = period().to ? dayOf(period().to) : dayOf(days[days.length - 1].day);
    first = Math.max(first, last - 365 * dayMs);  // at most a year's bars
    const count = Math.round((last - first) / dayMs) + 1;
    const step = Math.max(3, Math.min(24, Math.floor(760 / count))), height = 120, left = 40;
    const most = Math.max(1, ...days.map((d) => d.reports));
    const drawing = svg(container, "svg", {width: left + count * step + 20, height: height + 40, role: "img",
                                           "aria-label": t.daysTitle});
    svg(drawing, "text", {class: "count", x: left - 6, y: 12, "text-anchor": "end"}, String(most));
    svg(drawing, "line", {class: "axis", x1: left, y1: height + 2, x2: left + count * step, y2: height + 2});
    for (let i = 0; i < count; i++) {
        const ms = first + i * dayMs, found = byDay.get(dateText(ms)) || {reports: 0, red: 0};
        const x = left + i * step;
        const all = Math.round(height * found.reports / most), red = Math.round(height * found.red / most);
        if (found.reports) svg(drawing, "rect", {class: "day-all", x, y: height + 2 - all, width: step - 1, height: all});
        const bar = svg(drawing, "rect", {class: "day-red", x, y: height + 2 - red, width: step - 1, height: red});
        bar.dataset.day = dateText(ms);
        bar.dataset.red = found.red;
        bar.dataset.reports = found.reports;
        svg(bar, "title", {}, t.dayBar(t.date(new Date(ms)), found.red, found.reports));
    }
    svg(drawing, "text", {class: "count", x: left, y: height + 20}, t.date(new Date(first)));
    svg(drawing, "text", {class: "count", x: left + count * step, y: height + 20, "text-anchor": "end"},
        t.date(new Date(last)));
}

// --- Pages by cursor: the first page has none, the next one starts after the last report shown

class Paging {
    constructor() { this.reset(); }
    reset() { this.previous = []; this.cursor = ""; this.last = null; }
    older() { this.previous.push(this.cursor); this.cursor = this.last.received + "," + this.last.id; }
    newer() { this.cursor = this.previous.pop() || ""; }
    get first() { return this.previous.length * pageSize + 1; }
}
const listPaging = new Paging(), ticketPaging = new Paging();

// --- Red items by ticket: each ticket's newest report in the period, a column per red item

async function showRedTickets() {
    const rows = await api("/api/red-tickets" + query({...period(), red: byId("tickets-red").value,
                                                       after: ticketPaging.cursor, limit: pageSize}));
    ticketPaging.last = rows[rows.length - 1] || null;
    const often = new Map();
    for (const row of rows) for (const key of row.red_items || []) often.set(key, (often.get(key) || 0) + 1);
    const keys = [...often.keys()].sort((a, b) => often.get(b) - often.get(a));
    const table = byId("red-tickets");
    table.tHead.replaceChildren();
    const head = append(table.tHead, "tr", "", "");
    append(head, "th", "", t.ticket);
    append(head, "th", "", t.newestReport);
    for (const key of keys) append(head, "th", nameClass(key, "item-name"), itemName(key)).dataset.key = key;
    const body = table.tBodies[0];
    body.replaceChildren();
    for (const row of rows) {
        const line = append(body, "tr", "", "");
        line.dataset.id = row.id;
        ticketLink(append(line, "td", "ticket data", ""), row.ticket);
        append(line, "td", "received", timeText(row.received));
        const red = new Set(row.red_items || []);
        for (const key of keys) {
            const cell = append(line, "td", red.has(key) ? "mark red-mark" : "mark", red.has(key) ? t.redMark : "");
            cell.dataset.key = key;
        }
    }
    byId("tickets-status").textContent = t.ticketsStatus(rows.length);
    byId("tickets-newest").disabled = ticketPaging.previous.length === 0;
    byId("tickets-older").disabled = rows.length < pageSize;
}

// --- The list, a page at a time

function filters() {
    return {ticket: byId("filter-ticket").value.trim(), from: byId("filter-from").value,
            to: byId("filter-to").value, red: byId("filter-red").value};
}

async function showList() {
    const fields = filters();
    byId("csv").href = "/api/reports.csv" + query(fields);
    const {body: rows, total} = await call("/api/reports" + query({...fields, after: listPaging.cursor, limit: pageSize}));
    listPaging.last = rows[rows.length - 1] || null;
    const body = byId("reports").tBodies[0];
    body.replaceChildren();
    for (const report of rows) {
        const row = append(body, "tr", "", "");
        row.dataset.id = report.id;
        append(row, "td", "id", String(report.id));
        append(row, "td", "received", timeText(report.received));
        const ticket = append(row, "td", "ticket data", "");
        if (report.ticket) ticketLink(ticket, report.ticket);
        append(row, "td", "lang", languageName(report.lang));
        append(row, "td", "sender data", report.sender);
        append(row, "td", "item-count", String(report.items));
        append(row, "td", report.red ? "red-count some" : "red-count", String(report.red));
        row.addEventListener("click", (event) => {
            if (!event.target.closest("a")) showReport(report.id).catch(showError);
        });
    }
    const first = listPaging.first, last = first + rows.length - 1;
    byId("list-status").textContent = t.listStatus(rows.length ? first : 0, last, rows.length ? total : 0);
    byId("newest").disabled = byId("newer").disabled = listPaging.previous.length === 0;
    byId("older").disabled = last >= total || rows.length < pageSize;
}

// Every item that was ever red, for the filters.
async function fillItemChoices() {
    const everRed = await api("/api/summary");
    for (const select of [byId("filter-red"), byId("tickets-red")]) {
        const chosen = select.value;
        select.replaceChildren();
        append(select, "option", "", t.anyItem).value = "";
        for (const count of everRed) append(select, "option", nameClass(count.key, ""), itemName(count.key)).value = count.key;
        select.value = chosen;
    }
}

// --- One report, as the diagnosis page lays it out, from the items the service read when it arrived
// (never from a second reading of its XML, which another parser could read otherwise)

function solutionText(solution) {
    const label = solution.label;
    if (solution.type === "method" && solution.value) return (label ? label + ": " : "") + solution.value + "(" + solution.param + ")";
    if (solution.type === "link" && solution.value) return (label ? label + ": " : "") + solution.value;
    return label;
}

function groupTable(container, name, items, counts) {
    const section = append(container, "div", "section", "");
    section.id = "group-" + name;
    append(section, "h3", "", t.groups[name] || name);
    const withState = items.some((item) => item.state !== "");
    const table = append(section, "table", "group", "");
    const head = append(append(table, "thead", "", ""), "tr", "", "");
    append(head, "th", "subject", t.item);
    if (withState) append(head, "th", "state", t.installed);
    append(head, "th", "verdict", t.result);
    append(head, "th", "solution", t.solution);
    const body = append(table, "tbody", "", "");
    for (const item of items) {
        counts.items++;
        if (item.red) counts.red++;
        const row = append(body, "tr", item.red ? "item problem" : "item", "");
        row.dataset.key = item.key;
        append(row, "td", "subject data", item.subject);
        if (withState) append(row, "td", "state data", item.state);
        const verdict = append(row, "td", "verdict data", item.result);
        verdict.style.color = "#" + item.colour;
        if (item.addition) append(verdict, "span", "addition", item.addition);
        append(row, "td", "solution data", item.red ? solutionText(item.solution) : "");
    }
}

async function showReport(id) {
    const report = await api("/api/reports/" + encodeURIComponent(id));
    for (const table of [byId("reports"), byId("history")])
        for (const row of table.tBodies[0].rows) row.classList.toggle("selected", row.dataset.id === String(id));
    byId("report-section").hidden = false;
    byId("report-title").textContent = t.reportTitle(report.id);
    const meta = byId("report-meta");
    meta.replaceChildren(t.receivedFrom + " " + timeText(report.received) + " " + t.fromSender + " ");
    append(meta, "span", "data", report.sender);
    if (report.ticket) {
        meta.append(t.withTicket + " ");
        append(meta, "span", "data", report.ticket);
    }
    meta.append(t.inLanguage + " " + languageName(report.lang));
    const container = byId("report");
    container.replaceChildren();
    const counts = {items: 0, red: 0};
    // Items come in the report's order; each run of one group's items is a section, as in the report.
    for (let start = 0; start < report.stored_items.length;) {
        let end = start;
        while (end < report.stored_items.length && report.stored_items[end].group === report.stored_items[start].group) end++;
        groupTable(container, report.stored_items[start].group, report.stored_items.slice(start, end), counts);
        start = end;
    }
    byId("report-status").textContent = counts.red ? t.someRed(counts.red, counts.items)
        : counts.items ? t.allFine(counts.items) : t.noItems;
    byId("report-addons").textContent = report.ie_addons || t.none;
    byId("report-section").scrollIntoView();
}

// --- A ticket's history: its reports in time order, and what each turned black or red

function names(cell, keys) {
    for (const key of keys || []) append(cell, "span", nameClass(key, "item-name"), itemName(key)).dataset.key = key;
}

async function showTicket(ticket) {
    byId("ticket-section").hidden = false;
    byId("ticket-name").textContent = ticket;
    const history = await api("/api/tickets/" + encodeURIComponent(ticket));
    byId("ticket-status").textContent = history.total ? t.ticketStatus(history.reports.length, history.total) : t.noTicket;
    const body = byId("history").tBodies[0];
    body.replaceChildren();
    for (const report of history.reports) {
        const row = append(body, "tr", "", "");
        row.dataset.id = report.id;
        append(row, "td", "id", String(report.id));
        append(row, "td", "received", timeText(report.received));
        append(row, "td", "lang", languageName(report.lang));
        append(row, "td", "item-count", String(report.items));
        append(row, "td", report.red ? "red-count some" : "red-count", String(report.red));
        names(append(row, "td", "turned-black", ""), report.turned_black);
        names(append(row, "td", "turned-red", ""), report.turned_red);
        row.addEventListener("click", () => showReport(report.id).catch(showError));
    }
}

// --- The page

function fillTexts() {
    document.title = t.title;
    for (const element of document.querySelectorAll("[data-text]")) element.textContent = t[element.dataset.text];
    const other = byId("language");
    other.textContent = t.other.name;
    other.lang = t.other.code;
    other.href = "?lang=" + t.other.code;
}

// The period starts as the last 30 days.
function defaultPeriod() {
    const today = Date.now() - Date.now() % dayMs;
    byId("chart-from").value = dateText(today - 29 * dayMs);
    byId("chart-to").value = dateText(today);
}

async function showOverview() {
    byId("overview").hidden = false;
    await fillItemChoices();
    await Promise.all([showChart(), showDays(), showRedTickets(), showList()]);
}

window.addEventListener("DOMContentLoaded", () => {
    fillTexts();
    api("/api/me").then((me) => { byId("account").textContent = me.account; }).catch(showError);
    const ticketPath = /^\/tickets\/(.+)$/.exec(window.location.pathname);
    if (ticketPath) {
        let ticket = ticketPath[1];
        try {
            ticket = decodeURIComponent(ticket);
        } catch (error) {
            // an address that is no percent-encoding names the ticket as it stands
        }
        showTicket(ticket).catch(showError);
        return;
    }
    defaultPeriod();
    byId("filters").addEventListener("submit", (event) => {
        event.preventDefault();
        listPaging.reset();
        showList().catch(showError);
    });
    byId("period").addEventListener("submit", (event) => {
        event.preventDefault();
        ticketPaging.reset();
        Promise.all([showChart(), showDays(), showRedTickets()]).catch(showError);
    });
    byId("ticket-filters").addEventListener("submit", (event) => {
        event.preventDefault();
        ticketPaging.reset();
        showRedTickets().catch(showError);
    });
    const pager = (id, paging, move, show) => byId(id).addEventListener("click", () => {
        move(paging);
        show().catch(showError);
    });
    pager("newest", listPaging, (p) => p.reset(), showList);
    pager("newer", listPaging, (p) => p.newer(), showList);
    pager("older", listPaging, (p) => p.older(), showList);
    pager("tickets-newest", ticketPaging, (p) => p.reset(), showRedTickets);
    pager("tickets-older", ticketPaging, (p) => p.older(), showRedTickets);
    showOverview().catch(showError);
});
