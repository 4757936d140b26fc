// The desk's dashboard: the reports with their filters, one report laid out by groups in its verdict
// colours (as the diagnosis page shows it to the user), and a chart of the items most often red.
// Every text goes into the page as text, never as markup: reports come from users' PCs.
"use strict";

const groupNames = {
    basic: "Windows, browser and players",
    ocx_z4: "Zentra 4 controls",
    ocx_z3: "Zentra 3 controls",
    etcchecklist: "Browser and media settings",
    dll: "Support libraries"
};
const svgNs = "http://www.w3.org/2000/svg";

const byId = (id) => document.getElementById(id);

function append(parent, tag, className, text) {
    const element = document.createElement(tag);
    if (className) element.className = className;
    if (text) element.textContent = text;
    parent.appendChild(element);
    return element;
}

async function api(path) {
    const response = await fetch(path, {credentials: "same-origin"});
    if (response.status === 401) {
        window.location.href = "/";  // the session ended: back to the login form
        throw new Error("login required");
    }
    const body = await response.json();
    if (!response.ok) throw new Error(body.error || response.statusText);
    return body;
}

function query(fields) {
    const parameters = new URLSearchParams();
    for (const [name, value] of Object.entries(fields)) if (value) parameters.set(name, value);
    const text = parameters.toString();
    return text ? "?" + text : "";
}

// --- The list

function filters() {
    return {ticket: byId("filter-ticket").value.trim(), from: byId("filter-from").value,
            to: byId("filter-to").value, red: byId("filter-red").value};
}

async function showList() {
    const fields = filters();
    byId("csv").href = "/api/reports.csv" + query(fields);
    const rows = await api("/api/reports" + query(fields));
    const body = byId("reports").tBodies[0];
    body.replaceChildren();
    for (const report of rows) {
        const row = append(body, "tr", "", "");
        row.dataset.id = report.id;
        append(row, "td", "id", String(report.id));
        append(row, "td", "received", report.received.replace("T", " ").replace(/\.\d+Z$/, ""));
        append(row, "td", "ticket", report.ticket);
        append(row, "td", "lang", report.lang);
        append(row, "td", "sender", report.sender);
        append(row, "td", "item-count", String(report.items));
        append(row, "td", report.red ? "red-count some" : "red-count", String(report.red));
        row.addEventListener("click", () => showReport(report.id));
    }
    byId("list-status").textContent = rows.length ? rows.length + " reports, newest first" : "No reports match.";
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
    append(section, "h3", "", groupNames[name] || name);
    const withState = items.some((item) => item.state !== "");
    const table = append(section, "table", "group", "");
    const head = append(append(table, "thead", "", ""), "tr", "", "");
    append(head, "th", "subject", "Item");
    if (withState) append(head, "th", "state", "Installed");
    append(head, "th", "verdict", "Result");
    append(head, "th", "solution", "Solution");
    const body = append(table, "tbody", "", "");
    for (const item of items) {
        counts.items++;
        if (item.red) counts.red++;
        const row = append(body, "tr", item.red ? "item problem" : "item", "");
        append(row, "td", "subject", item.subject);
        if (withState) append(row, "td", "state", item.state);
        const verdict = append(row, "td", "verdict", item.result);
        verdict.style.color = "#" + item.colour;
        if (item.addition) append(verdict, "span", "addition", item.addition);
        append(row, "td", "solution", item.red ? solutionText(item.solution) : "");
    }
}

async function showReport(id) {
    const report = await api("/api/reports/" + encodeURIComponent(id));
    for (const row of byId("reports").tBodies[0].rows) row.classList.toggle("selected", row.dataset.id === String(id));
    byId("report-section").hidden = false;
    byId("report-title").textContent = "Report " + report.id;
    byId("report-meta").textContent = "Received " + report.received + " from " + report.sender +
        (report.ticket ? ", ticket " + report.ticket : "") + ", language " + report.lang;
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
    byId("report-status").textContent = counts.red ? counts.red + " of " + counts.items + " items need attention."
        : counts.items ? "All " + counts.items + " items are fine." : "The report has no items.";
    byId("report-addons").textContent = report.ie_addons || "(none)";
    byId("report-section").scrollIntoView();
}

// --- The chart: one bar per item, as long as the number of reports on which it was red

async function showChart() {
    const period = {from: byId("chart-from").value, to: byId("chart-to").value};
    const counts = await api("/api/summary" + query(period));
    const chart = byId("chart");
    chart.replaceChildren();
    byId("chart-total").textContent = counts.length ? "" : "No red items in this period.";
    const shown = counts.slice(0, 15);
    const labelWidth = 340, barWidth = 420, rowHeight = 24;
    const most = Math.max(1, ...shown.map((c) => c.reports));
    const svg = document.createElementNS(svgNs, "svg");
    svg.setAttribute("width", labelWidth + barWidth + 60);
    svg.setAttribute("height", shown.length * rowHeight + 4);
    svg.setAttribute("role", "img");
    svg.setAttribute("aria-label", "Items most often red");
    shown.forEach((count, i) => {
        const y = i * rowHeight;
        const label = document.createElementNS(svgNs, "text");
        label.setAttribute("class", "label");
        label.setAttribute("x", labelWidth - 8);
        label.setAttribute("y", y + 16);
        label.setAttribute("text-anchor", "end");
        label.textContent = count.subject.length > 48 ? count.subject.slice(0, 47) + "…" : count.subject;
        const bar = document.createElementNS(svgNs, "rect");
        bar.setAttribute("class", "bar");
        bar.setAttribute("x", labelWidth);
        bar.setAttribute("y", y + 4);
        bar.setAttribute("height", rowHeight - 8);
        bar.setAttribute("width", Math.max(2, Math.round(barWidth * count.reports / most)));
        bar.dataset.subject = count.subject;
        bar.dataset.reports = count.reports;
        const title = document.createElementNS(svgNs, "title");
        title.textContent = count.subject + ": red on " + count.reports + " reports";
        bar.appendChild(title);
        const number = document.createElementNS(svgNs, "text");
        number.setAttribute("class", "count");
        number.setAttribute("x", labelWidth + Number(bar.getAttribute("width")) + 6);
        number.setAttribute("y", y + 16);
        number.textContent = String(count.reports);
        svg.append(label, bar, number);
        // A bar filters the list by its item.
        bar.addEventListener("click", () => {
            byId("filter-red").value = count.subject;
            showList().catch(report);
        });
    });
    chart.appendChild(svg);
    // The red-item filter offers every item that was ever red.
    const select = byId("filter-red");
    const chosen = select.value;
    const everRed = await api("/api/summary");
    select.replaceChildren();
    append(select, "option", "", "any").value = "";
    for (const count of everRed) append(select, "option", "", count.subject).value = count.subject;
    select.value = chosen;
}

function report(error) {
    byId("list-status").textContent = "Error: " + error.message;
}

window.addEventListener("DOMContentLoaded", () => {
    byId("filters").addEventListener("submit", (event) => {
        event.preventDefault();
        showList().catch(report);
    });
    byId("period").addEventListener("submit", (event) => {
        event.preventDefault();
        showChart().catch(report);
    });
    showChart().then(showList).catch(report);
});
