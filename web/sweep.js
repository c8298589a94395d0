// The sweep over alpha aside, in a worker: its rows gathered as they come, the progress shown,
// and its plot, whose points load an alpha and whose resonance lines show their shapes.
import { $, offerOnClick, runAside, showOnSubmit, view } from "./page.js";
import { SweepPlot } from "./plots.js";

// The sweep's plot: a picked point's alpha goes to the fields of the mesh swept, the dialog's or
// the finer one; a picked resonance's line shows its shape.
function newSweepPlot(pickShape) {
  return new SweepPlot($("sweep-plot"), (point) => {
    const finer = view.shown === "finer";
    $(finer ? "finer-alpha" : "alpha").value = point.alphaText;
    $(finer ? "finer-form" : "inputs").requestSubmit();
  }, (point, line) => {
    $("sweep-readout").textContent = line
      ? `resonance ${line.index} at alpha ${line.alphaText}: click for its shape`
      : point ? `alpha ${point.alphaText}, max |W| ${point.wText}` : "";
  }, (line) => pickShape(String(line.index)));
}

// The plot's points from the sweep's CSV, read by its columns' names.
function sweepPoints(csv) {
  const [head, ...rows] = csv.split("\n").slice(0, -1).map((row) => row.split(","));
  const alpha = head.indexOf("alpha"), w = head.indexOf("max_abs_w");
  return rows.map((row) => ({ alpha: Number(row[alpha]), w: Number(row[w]),
                              alphaText: row[alpha], wText: row[w] }));
}
// The plot's lines from the module's {alpha, excited, index}.
function sweepLines(json) {
  return JSON.parse(json).map(({ alpha, excited, index }) =>
    ({ alpha: Number(alpha), excited, index, alphaText: alpha }));
}

export function setUpSweep(membrane, pickShape) {
  let worker = null;
  const status = $("sweep-status"), progress = $("sweep-progress");
  const plot = newSweepPlot(pickShape);
  let csv = "";
  offerOnClick("download-sweep", () => new Blob([csv], { type: "text/csv" }));
  offerOnClick("download-sweep-plot", () => $("sweep-plot"));
  const finish = () => {
    worker?.terminate();
    worker = null;
    $("sweep-cancel").disabled = true;
  };
  $("sweep-cancel").addEventListener("click", () => {
    status.textContent = `Cancelled after ${Math.round(progress.value * 100)}% of the points.`;
    finish();
  });
  const start = () => {
    finish();
    const [divx, divy] = membrane.mesh();
    if (!divx) {
      status.textContent = "Compute first: the sweep is of the mesh computed.";
      return;
    }
    const range = $("sweep-range").value, parts = [];
    progress.value = 0;
    $("sweep-downloads").hidden = true;
    status.textContent = `Sweeping the ${divx} x ${divy} mesh...`;
    $("sweep-cancel").disabled = false;
    worker = runAside({ kind: "sweep", divx, divy, range, option: membrane.option(),
                        scheme: membrane.scheme() }, (data) => {
      if (data.kind === "fault") {
        status.textContent = data.text;
        finish();
      } else if (data.kind === "rows") {
        parts.push(data.rows);
        progress.value = data.done / data.total;
        status.textContent = `Sweeping the ${divx} x ${divy} mesh: ${data.done} of ${data.total} points.`;
      } else {
        csv = parts.join("");
        const points = sweepPoints(csv), lines = sweepLines(data.lines);
        plot.set(points, lines);
        $("sweep-downloads").hidden = false;
        window.membrane.lastSweep = csv;
        window.membrane.lastSweepLines = data.lines;
        const excited = lines.filter((l) => l.excited).length;
        status.textContent = `Swept ${points.length} points of the ${divx} x ${divy} mesh; ` +
          `${excited} of ${lines.length} resonances excited.`;
        finish();
      }
    });
    view.sweep = range;
  };
  showOnSubmit("sweep-form", start);
  $("sweep-start").disabled = false;
  return start;
}
