// The convergence study aside, in a worker: its table, its plot and its files.
import { $, offerOnClick, remember, runAside, showOnSubmit, view } from "./page.js";
import { StudyPlot } from "./plots.js";

// The study's CSV as the table: its header and rows, which it returns as lists of fields.
function showStudyTable(text) {
  const lines = text.split("\n").slice(0, -1).map((line) => line.split(","));
  const [head, ...rows] = lines;
  const cells = (row, tag) => {
    const tr = document.createElement("tr");
    for (const field of row) {
      const cell = document.createElement(tag);
      if (tag === "th") cell.scope = "col";
      cell.textContent = field;
      tr.append(cell);
    }
    return tr;
  };
  $("study-table").tHead.replaceChildren(cells(head, "th"));
  $("study-table").tBodies[0].replaceChildren(...rows.map((row) => cells(row, "td")));
  return lines;
}

// The plot's series of a study's rows, as the tool plots them: the solution's three errors, or
// the first six resonances' errors; each scheme of the rows a family of its own (family 1
// dashed), named after its scheme where the rows hold two.
function studySeries(of, head, rows) {
  const column = (name) => head.indexOf(name);
  const schemeOf = (row) => (column("scheme") < 0 ? "standard" : row[column("scheme")]);
  const schemes = [...new Set(rows.map(schemeOf))];
  const named = (name, scheme) => (schemes.length > 1 ? `${name} (${scheme})` : name);
  const series = [];
  schemes.forEach((scheme, family) => {
    const own = rows.filter((row) => schemeOf(row) === scheme);
    const low = scheme === "low-dispersion";
    if (of === "solution") {
      for (const [name, key] of [["largest nodal error", "max_nodal_error"],
                                 ["L2 error", "l2_error"], ["H1-seminorm error", "h1_error"]])
        series.push({ name: named(name, scheme), family, low,
                      h: own.map((r) => Number(r[column("h")])),
                      error: own.map((r) => Number(r[column(key)])) });
      return;
    }
    const first = series.length;
    for (const row of own) {
      const index = Number(row[column("index")]);
      if (index > 6) continue;
      if (series.length - first < index)
        series.push({ name: named(`resonance ${index}, (kx, ky) = ` +
                                  `(${row[column("kx")]}, ${row[column("ky")]})`, scheme),
                      family, low, h: [], error: [] });
      series[first + index - 1].h.push(Number(row[column("h")]));
      series[first + index - 1].error.push(Number(row[column("error")]));
    }
  });
  return series;
}

// The convergence study aside, its table, its plot and its files.
export function setUpStudy() {
  const plot = new StudyPlot($("study-plot"));
  let worker = null, csv = "";
  offerOnClick("download-study", () => new Blob([csv], { type: "text/csv" }));
  offerOnClick("download-study-plot", () => $("study-plot"));
  const show = (of, text) => {
    csv = text;
    const [head, ...rows] = showStudyTable(text);
    plot.set(studySeries(of, head, rows));
    $("study-downloads").hidden = false;
  };
  const start = (study) => {
    worker?.terminate();
    view.study = study;
    $("study-status").textContent = `Studying the ${study.of}...`;
    worker = runAside({ kind: "study", of: study.of, alpha: study.alpha, modes: study.modes,
                        ladder: study.ladder.trim(), scheme: study.scheme }, (data) => {
      worker = null;
      if (data.kind === "fault") {
        $("study-status").textContent = data.text;
        return;
      }
      show(study.of, data.csv);
      window.membrane.lastStudy = data.csv;
      const schemes = { standard: "", "low-dispersion": ", low-dispersion scheme",
                        both: ", the standard and the low-dispersion schemes" }[study.scheme];
      $("study-status").textContent = (study.of === "solution"
        ? `The solution at alpha ${study.alpha.trim()} against the continuum's${schemes ?? ""}.`
        : `The lowest resonances against the continuum's${schemes ?? ""}.`) +
        (data.note ? ` Note: ${data.note}.` : "");
    });
  };
  const study = (of) => ({ of, ladder: $("study-ladder").value, alpha: $("study-alpha").value,
                           modes: $("study-modes").value, scheme: $("study-scheme").value });
  showOnSubmit("study-form", () => start(study("solution")));
  $("study-resonances").addEventListener("click", () => {
    start(study("resonances"));
    remember(false);
  });
  $("study-solution").disabled = false;
  $("study-resonances").disabled = false;
  return (of) => start(study(of));
}
