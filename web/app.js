// The page: the dialog's part (the three fields, 計算 and ｵﾌﾟｼｮﾝ, the report list, the table on
// the clipboard, the colour map and the files) and beyond it a finer mesh, the solution's
// figure, the resonances, the mode shapes, the sweep and the convergence study. Every number
// comes from the project's own C++ compiled to WebAssembly; this module only shows them. The
// address holds what the page shows, so that a link reproduces it.
import MembraneModule from "./membrane.js";
import { StudyPlot, SweepPlot } from "./plots.js";

const $ = (id) => document.getElementById(id);

// The C interface of the module, its texts read as UTF-8.
function bind(module) {
  const text = (name) => () => module.UTF8ToString(module[`_membrane_${name}`]());
  return {
    compute(divx, divy, alpha, option) {
      return module.ccall("membrane_compute", "number", ["string", "string", "string", "number"],
                          [divx, divy, alpha, option ? 1 : 0]);
    },
    // A finer mesh, read as membrane-solve reads it: what was solved and its notes, or
    // "error: " and the reason.
    solveMesh(divx, divy, alpha, option) {
      return module.UTF8ToString(module.ccall(
        "membrane_solve_mesh", "number", ["string", "string", "string", "number"],
        [divx, divy, alpha, option ? 1 : 0]));
    },
    list: text("list"),
    // The mesh the parts below show, [0, 0] where nothing is solved, and its option.
    mesh: () => [module._membrane_divx(), module._membrane_divy()],
    option: () => module._membrane_option() === 1,
    figureText: text("figure_text"),
    // An image of width x height device pixels from the module's RGBA pixels.
    image(pointer, width, height) {
      if (!pointer || !width || !height) return null;
      const bytes = module.HEAPU8.slice(pointer, pointer + 4 * width * height);
      return new ImageData(new Uint8ClampedArray(bytes.buffer), width, height);
    },
    fieldImage(width, height) {
      return this.image(module._membrane_field_pixels(width, height), width, height);
    },
    findShapes(first, last) {
      return module.UTF8ToString(module._membrane_find_shapes(first, last));
    },
    findGallery(count) {
      return module.UTF8ToString(
        module.ccall("membrane_find_gallery", "number", ["string"], [count]));
    },
    shapeImage(k, width, height, factor, shared) {
      return this.image(module._membrane_shape_pixels(k, width, height, factor, shared ? 1 : 0),
                        width, height);
    },
    resonances(n) {
      return module.UTF8ToString(module._membrane_resonances(n));
    },
    table: text("table"),
    // The files of the dialog's solution, or with `finer` of the finer mesh's.
    csv: (finer = false) => module.UTF8ToString(module._membrane_csv(finer ? 1 : 0)),
    vtk(finer = false) {
      const at = module._membrane_vtk(finer ? 1 : 0), size = module._membrane_vtk_size(finer ? 1 : 0);
      return module.HEAPU8.slice(at, at + size);
    },
    map() {
      const count = module._membrane_map_cell_count();
      const at = module._membrane_map_cells() >> 2;
      return {
        width: module._membrane_map_width(),
        height: module._membrane_map_height(),
        cells: module.HEAP32.slice(at, at + 5 * count),
      };
    },
  };
}

// The dialog's cells in its colours, each device pixel a whole cell's: the canvas has as many
// pixels as the screen gives it, and every cell covers whole device pixels.
function paintMap(canvas, map) {
  const scale = Math.max(1, Math.round(window.devicePixelRatio || 1));
  canvas.width = Math.max(1, map.width * scale);
  canvas.height = Math.max(1, map.height * scale);
  canvas.style.width = `${map.width}px`;
  canvas.style.height = `${map.height}px`;
  const context = canvas.getContext("2d");
  context.clearRect(0, 0, canvas.width, canvas.height);
  for (let k = 0; k < map.cells.length; k += 5) {
    const [x, y, w, h, d] = map.cells.subarray(k, k + 5);
    context.fillStyle = `rgb(${d},${d},255)`;
    context.fillRect(x * scale, y * scale, w * scale, h * scale);
  }
  canvas.hidden = map.cells.length === 0;
}

function showList(list, text) {
  const lines = text.split("\n");
  lines.pop();  // every line ends with a line feed
  const items = lines.map((line) => {
    const item = document.createElement("li");
    item.textContent = line;
    return item;
  });
  list.replaceChildren(...items);
}

// Offers a file for download, made when asked for.
let offered = null;
function offer(blob, name) {
  if (offered) URL.revokeObjectURL(offered);
  offered = URL.createObjectURL(blob);
  const link = document.createElement("a");
  link.href = offered;
  link.download = name;
  link.click();
}

// Each link downloads what `make` makes on a click: a Blob, or a canvas as PNG.
function offerOnClick(id, make) {
  $(id).addEventListener("click", (event) => {
    event.preventDefault();
    const made = make();
    const name = $(id).getAttribute("download");
    if (made instanceof HTMLCanvasElement) made.toBlob((blob) => offer(blob, name));
    else offer(made, name);
  });
}

function setUpDownloads(membrane) {
  for (const finer of [false, true]) {
    const id = (kind) => (finer ? `finer-${kind}` : `download-${kind}`);
    offerOnClick(id("csv"), () => new Blob([membrane.csv(finer)], { type: "text/csv" }));
    offerOnClick(id("vtk"), () => new Blob([membrane.vtk(finer)],
                                           { type: "application/octet-stream" }));
  }
  offerOnClick("download-table", () => new Blob([membrane.table()], { type: "text/plain" }));
  offerOnClick("download-map", () => $("map"));
}

// The table to the clipboard, as the dialog copies it after a computation; where the browser
// refuses, one line says so and a button copies it on a click of its own.
async function copyTable(table) {
  const status = $("clipboard"), button = $("copy");
  try {
    await navigator.clipboard.writeText(table);
    status.textContent = "The table is on the clipboard.";
    button.hidden = true;
  } catch (error) {
    status.textContent = `The browser refused the clipboard (${error.name}); copy the table with the button.`;
    button.hidden = false;
  }
}

// What the page shows, as the address holds it: the dialog's inputs once computed, the finer
// mesh once solved, which of the two the parts below show, and what they show of it. Each text
// is kept as it was typed.
const view = {
  dialog: null,    // { divx, divy, alpha, option }
  finer: null,     // { divx, divy, alpha, option }
  shown: "dialog",
  modes: null,     // how many resonances are listed
  shape: null,     // the resonance whose shape is drawn
  gallery: null,   // how many shapes the gallery draws
  sweep: null,     // "A0:A1:N"
  study: null,     // { of: "solution" | "resonances", ladder, alpha, modes }
};

// The parts below show a solution; a new one empties what they showed of the last.
function forgetTheParts() {
  view.modes = view.shape = view.gallery = view.sweep = null;
}

function viewToAddress() {
  const query = new URLSearchParams();
  const put = (prefix, inputs) => {
    query.set(`${prefix}divx`, inputs.divx);
    query.set(`${prefix}divy`, inputs.divy);
    query.set(`${prefix}alpha`, inputs.alpha);
    query.set(`${prefix}option`, inputs.option ? "on" : "off");
  };
  if (view.dialog) put("", view.dialog);
  if (view.finer) put("finer-", view.finer);
  if (view.finer && view.shown === "finer") query.set("shown", "finer");
  for (const key of ["modes", "shape", "gallery", "sweep"])
    if (view[key] !== null) query.set(key, view[key]);
  if (view.study) {
    query.set("study", view.study.of);
    query.set("study-ladder", view.study.ladder);
    query.set(view.study.of === "solution" ? "study-alpha" : "study-modes",
              view.study.of === "solution" ? view.study.alpha : view.study.modes);
  }
  return `?${query}`;
}

// The view an address holds.
function addressToView() {
  const query = new URLSearchParams(location.search);
  const inputs = (prefix) => (
    ["divx", "divy", "alpha"].some((key) => query.has(`${prefix}${key}`)) ? {
      divx: query.get(`${prefix}divx`) ?? "", divy: query.get(`${prefix}divy`) ?? "",
      alpha: query.get(`${prefix}alpha`) ?? "", option: query.get(`${prefix}option`) !== "off",
    } : null);
  const study = query.get("study");
  return {
    // The keys of earlier links, fine-divx ... and shown=fine, still open what they showed.
    dialog: inputs(""), finer: inputs("finer-") ?? inputs("fine-"),
    shown: ["finer", "fine"].includes(query.get("shown")) ? "finer" : "dialog",
    modes: query.get("modes"), shape: query.get("shape"), gallery: query.get("gallery"),
    sweep: query.get("sweep"),
    study: study === "solution" || study === "resonances" ? {
      of: study, ladder: query.get("study-ladder"), alpha: query.get("study-alpha"),
      modes: query.get("study-modes"),
    } : null,
  };
}

// A new computation is a step of the history; what the parts show of it changes the step.
function remember(step) {
  const address = viewToAddress();
  if (address === location.search) return;
  if (step) history.pushState(null, "", address);
  else history.replaceState(null, "", address);
}

// The rows of --details, their texts as the program writes them; a click or Enter on a row
// shows its shape.
function showResonances(csv, onPick) {
  const body = $("resonances").tBodies[0];
  if (csv.startsWith("error: ")) {
    $("resonances-status").textContent = csv.slice(7);
    body.replaceChildren();
    return false;
  }
  const rows = csv.split("\n").slice(1, -1).map((line) => {
    const row = document.createElement("tr");
    for (const field of line.split(",")) {
      const cell = document.createElement("td");
      cell.textContent = field;
      row.append(cell);
    }
    row.tabIndex = 0;
    row.title = "show its shape";
    row.addEventListener("click", () => onPick(row.cells[0].textContent));
    row.addEventListener("keydown", (event) => {
      if (event.key === "Enter") onPick(row.cells[0].textContent);
    });
    return row;
  });
  body.replaceChildren(...rows);
  $("resonances-status").textContent =
    `${rows.length} resonances of the ${membraneMesh()} mesh; pick one to see its shape.`;
  return true;
}

// Resolves once the page has painted what it was told: a status line, before a computation
// holds the page's thread. A hidden page paints nothing, and goes on after a tenth of a second.
const nextPaint = () => new Promise((resolve) => {
  requestAnimationFrame(() => setTimeout(resolve));
  setTimeout(resolve, 100);
});

// A form whose submission changes what a part shows: the address follows the view.
function showOnSubmit(id, show) {
  $(id).addEventListener("submit", async (event) => {
    event.preventDefault();
    await show();
    remember(false);
  });
}

// "90 x 30": the mesh the parts below show.
const membraneMesh = () => window.membrane.mesh().join(" x ");

// Long work in a worker of its own, one at a time for each part: its messages to `onMessage`
// until it reports "done" or "fault"; Cancel ends the worker, and with it the work.
function runAside(message, onMessage) {
  const worker = new Worker(new URL("./worker.js", import.meta.url), { type: "module" });
  worker.onmessage = ({ data }) => {
    if (data.kind === "done" || data.kind === "fault") worker.terminate();
    onMessage(data);
  };
  worker.postMessage(message);
  return worker;
}

// The sweep aside: its rows gathered as they come, the progress shown.
function setUpSweep(membrane, pickShape) {
  let worker = null;
  const status = $("sweep-status"), progress = $("sweep-progress");
  // A picked alpha goes to the fields of the mesh swept, the dialog's or the finer one.
  const plot = new SweepPlot($("sweep-plot"), (point) => {
    const finer = view.shown === "finer";
    $(finer ? "finer-alpha" : "alpha").value = point.alphaText;
    $(finer ? "finer-form" : "inputs").requestSubmit();
  }, (point, line) => {
    $("sweep-readout").textContent = line
      ? `resonance ${line.index} at alpha ${line.alphaText}: click for its shape`
      : point ? `alpha ${point.alphaText}, max |W| ${point.wText}` : "";
  }, (line) => pickShape(String(line.index)));
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
    worker = runAside({ kind: "sweep", divx, divy, range, option: membrane.option() }, (data) => {
      if (data.kind === "fault") {
        status.textContent = data.text;
        finish();
      } else if (data.kind === "rows") {
        parts.push(data.rows);
        progress.value = data.done / data.total;
        status.textContent = `Sweeping the ${divx} x ${divy} mesh: ${data.done} of ${data.total} points.`;
      } else {
        csv = parts.join("");
        const points = csv.split("\n").slice(1, -1).map((row) => {
          const [alphaText, wText] = row.split(",");
          return { alpha: Number(alphaText), w: Number(wText), alphaText, wText };
        });
        const lines = data.lines.split("\n").slice(0, -1).map((row) => {
          const [alphaText, excited, index] = row.split(",");
          return { alpha: Number(alphaText), excited: excited === "1", index: Number(index),
                   alphaText };
        });
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

// Draws an image the module made at the canvas's own device pixels, so that it stays sharp.
function paintField(canvas, make) {
  const scale = window.devicePixelRatio || 1;
  const width = Math.max(1, Math.round(canvas.clientWidth * scale));
  const height = Math.max(1, Math.round(canvas.clientHeight * scale));
  const image = make(width, height);
  canvas.width = width;
  canvas.height = height;
  if (image) canvas.getContext("2d").putImageData(image, 0, 0);
  return image !== null;
}

// The gallery in one image: its figures in rows of three, each under its caption.
function galleryImage() {
  const figures = [...$("gallery").querySelectorAll("figure")];
  const scale = window.devicePixelRatio || 1, caption = Math.round(20 * scale);
  const first = figures[0].querySelector("canvas");
  const w = first.width, h = first.height, gap = Math.round(8 * scale);
  const columns = Math.min(3, figures.length), rows = Math.ceil(figures.length / columns);
  const image = document.createElement("canvas");
  image.width = columns * w + (columns + 1) * gap;
  image.height = rows * (h + caption) + (rows + 1) * gap;
  const g = image.getContext("2d");
  g.fillStyle = "#fff";
  g.fillRect(0, 0, image.width, image.height);
  g.font = `${Math.round(12 * scale)}px sans-serif`;
  figures.forEach((figure, k) => {
    const x = gap + (k % columns) * (w + gap);
    const y = gap + Math.floor(k / columns) * (h + caption + gap);
    g.fillStyle = "#000";
    g.fillText(figure.querySelector("figcaption").textContent, x, y + caption - 6 * scale);
    g.drawImage(figure.querySelector("canvas"), x, y + caption);
  });
  return image;
}

// The solution's figure, one shape and its vibration, and the gallery; returns what redraws
// the figure and shows a shape or the gallery.
function setUpFigures(membrane) {
  const drawField = () => {
    const drawn = paintField($("field"), (w, h) => membrane.fieldImage(w, h));
    const [lo, hi] = membrane.figureText().split(",");
    $("field-scale").textContent = drawn ? `W from ${lo} (blue) to ${hi} (white)` : "";
  };
  offerOnClick("download-field", () => $("field"));
  offerOnClick("download-shape", () => $("shape"));
  offerOnClick("download-gallery", galleryImage);

  let timer = null, started = 0;
  const stop = () => {
    if (timer) cancelAnimationFrame(timer);
    timer = null;
    $("shape-play").setAttribute("aria-pressed", "false");
    $("shape-play").textContent = "Play";
  };
  const drawShape = (factor) =>
    paintField($("shape"), (w, h) => membrane.shapeImage(0, w, h, factor, false));
  const showShape = async () => {
    stop();
    $("shape-status").textContent = "Finding the shape...";
    await nextPaint();
    const k = Number($("shape-k").value);
    const found = membrane.findShapes(k, k);
    if (found.startsWith("error: ")) {
      $("shape-status").textContent = found.slice(7);
      $("shape-play").disabled = true;
      return;
    }
    const [index, alpha, kx, ky] = found.trim().split(",");
    $("shape-status").textContent =
      `Shape ${index} of the ${membraneMesh()} mesh: alpha ${alpha}, (kx, ky) = (${kx}, ${ky})`;
    drawShape(1);
    $("shape-play").disabled = false;
    view.shape = $("shape-k").value;
    view.gallery = null;
  };
  showOnSubmit("shape-form", showShape);
  // The membrane vibrating: the shape times cos of the time, one period in two seconds.
  $("shape-play").addEventListener("click", () => {
    if (timer) { stop(); drawShape(1); return; }
    $("shape-play").setAttribute("aria-pressed", "true");
    $("shape-play").textContent = "Pause";
    started = performance.now();
    const frame = (now) => {
      drawShape(Math.cos(Math.PI * (now - started) / 1000));
      timer = requestAnimationFrame(frame);
    };
    timer = requestAnimationFrame(frame);
  });
  const showGallery = async () => {
    stop();
    $("shape-status").textContent = "Finding the shapes...";
    await nextPaint();
    const found = membrane.findGallery($("gallery-n").value);
    if (found.startsWith("error: ")) {
      $("shape-status").textContent = found.slice(7);
      return;
    }
    const rows = found.trim().split("\n");
    const figures = rows.map((row, k) => {
      const [index, alpha, kx, ky] = row.split(",");
      const figure = document.createElement("figure");
      const canvas = document.createElement("canvas");
      canvas.setAttribute("role", "img");
      canvas.setAttribute("aria-label", `shape ${index}`);
      const caption = document.createElement("figcaption");
      caption.textContent = `${index}   (${kx}, ${ky})   α = ${alpha}`;
      figure.append(caption, canvas);
      return [figure, canvas, k];
    });
    $("gallery").replaceChildren(...figures.map(([figure]) => figure));
    for (const [, canvas, k] of figures)
      paintField(canvas, (w, h) => membrane.shapeImage(k, w, h, 1, true));
    $("shape-status").textContent =
      `The ${rows.length} lowest shapes of the ${membraneMesh()} mesh on one scale.`;
    $("shape-play").disabled = true;
    $("download-gallery").hidden = false;
    view.gallery = $("gallery-n").value;
    view.shape = null;
  };
  showOnSubmit("gallery-form", showGallery);
  // A new solution: the shapes of the last are gone.
  const forget = () => {
    stop();
    $("shape").getContext("2d").clearRect(0, 0, $("shape").width, $("shape").height);
    $("gallery").replaceChildren();
    $("download-gallery").hidden = true;
    $("shape-status").textContent = "";
    $("shape-play").disabled = true;
  };
  $("shape-show").disabled = false;
  $("gallery-show").disabled = false;
  return { drawField, showShape, showGallery, forget };
}

// The convergence study aside, its table, its plot and its files.
function setUpStudy() {
  const plot = new StudyPlot($("study-plot"));
  let worker = null, csv = "";
  offerOnClick("download-study", () => new Blob([csv], { type: "text/csv" }));
  offerOnClick("download-study-plot", () => $("study-plot"));
  const show = (of, text) => {
    csv = text;
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
    const column = (name) => head.indexOf(name);
    const series = [];
    if (of === "solution") {
      for (const [name, key] of [["largest nodal error", "max_nodal_error"],
                                 ["L2 error", "l2_error"], ["H1-seminorm error", "h1_error"]])
        series.push({ name, h: rows.map((r) => Number(r[column("h")])),
                      error: rows.map((r) => Number(r[column(key)])) });
    } else {
      // The first six resonances, as the tool plots them.
      for (const row of rows) {
        const index = Number(row[column("index")]);
        if (index > 6) continue;
        if (series.length < index)
          series.push({ name: `resonance ${index}, (kx, ky) = ` +
                                `(${row[column("kx")]}, ${row[column("ky")]})`, h: [], error: [] });
        series[index - 1].h.push(Number(row[column("h")]));
        series[index - 1].error.push(Number(row[column("error")]));
      }
    }
    plot.set(series);
    $("study-downloads").hidden = false;
  };
  const start = (study) => {
    worker?.terminate();
    view.study = study;
    $("study-status").textContent = `Studying the ${study.of}...`;
    worker = runAside({ kind: "study", of: study.of, alpha: study.alpha, modes: study.modes,
                        ladder: study.ladder.trim() }, (data) => {
      worker = null;
      if (data.kind === "fault") {
        $("study-status").textContent = data.text;
        return;
      }
      show(study.of, data.csv);
      window.membrane.lastStudy = data.csv;
      $("study-status").textContent = study.of === "solution"
        ? `The solution at alpha ${study.alpha.trim()} against the continuum's.`
        : "The lowest resonances against the continuum's.";
    });
  };
  const study = (of) => ({ of, ladder: $("study-ladder").value, alpha: $("study-alpha").value,
                           modes: $("study-modes").value });
  showOnSubmit("study-form", () => start(study("solution")));
  $("study-resonances").addEventListener("click", () => {
    start(study("resonances"));
    remember(false);
  });
  $("study-solution").disabled = false;
  $("study-resonances").disabled = false;
  return (of) => start(study(of));
}

async function main() {
  const membrane = bind(await MembraneModule());
  window.membrane = membrane;  // for the page's tests and users' own automation
  const figures = setUpFigures(membrane);
  const startSweep = setUpSweep(membrane, (index) => pickShape(index));
  const startStudy = setUpStudy();
  setUpDownloads(membrane);

  const newSolution = () => {
    forgetTheParts();
    figures.forget();
    figures.drawField();
    $("resonances").tBodies[0].replaceChildren();
    $("resonances-status").textContent = "";
  };
  const computeDialog = () => {
    const inputs = { divx: $("divx").value, divy: $("divy").value, alpha: $("alpha").value,
                     option: $("option").checked };
    const outcome = membrane.compute(inputs.divx, inputs.divy, inputs.alpha, inputs.option);
    view.dialog = inputs;
    view.shown = "dialog";
    showList($("list"), membrane.list());
    paintMap($("map"), membrane.map());
    newSolution();
    if (outcome === 2) {
      $("downloads").hidden = true;
      return;
    }
    $("downloads").hidden = false;
    copyTable(membrane.table());
  };
  const solveFiner = () => {
    const inputs = { divx: $("finer-divx").value, divy: $("finer-divy").value,
                     alpha: $("finer-alpha").value, option: $("finer-option").checked };
    const begun = performance.now();
    const said = membrane.solveMesh(inputs.divx, inputs.divy, inputs.alpha, inputs.option);
    if (said.startsWith("error: ")) {
      $("finer-status").textContent = said.slice(7);
      return false;
    }
    view.finer = inputs;
    view.shown = "finer";
    $("finer-status").textContent =
      `${said}In ${Math.round(performance.now() - begun)} ms on this browser.`;
    $("finer-downloads").hidden = false;
    newSolution();
    return true;
  };
  // What an address holds, shown again: the computations in the order that leaves the one it
  // shows last, then what the parts show of it.
  const showView = async (target) => {
    const fill = (prefix, inputs) => {
      for (const key of ["divx", "divy", "alpha"]) $(`${prefix}${key}`).value = inputs[key];
      $(`${prefix}option`).checked = inputs.option;
    };
    const steps = [[target.dialog, "", computeDialog], [target.finer, "finer-", solveFiner]];
    if (target.shown !== "finer") steps.reverse();
    for (const [inputs, prefix, run] of steps)
      if (inputs) { fill(prefix, inputs); run(); }
    if (target.modes !== null) {
      $("resonance-count").value = target.modes;
      await listResonances();
    }
    if (target.shape !== null) {
      $("shape-k").value = target.shape;
      await figures.showShape();
    } else if (target.gallery !== null) {
      $("gallery-n").value = target.gallery;
      await figures.showGallery();
    }
    if (target.sweep !== null) {
      $("sweep-range").value = target.sweep;
      startSweep();
    }
    if (target.study) {
      // What the link leaves out keeps the field's own value.
      for (const key of ["ladder", "alpha", "modes"])
        if (target.study[key] !== null) $(`study-${key}`).value = target.study[key];
      startStudy(target.study.of);
    }
  };

  $("inputs").addEventListener("submit", (event) => {
    event.preventDefault();
    computeDialog();
    remember(true);
  });
  $("finer-form").addEventListener("submit", async (event) => {
    event.preventDefault();
    const [divx, divy] = [$("finer-divx").value.trim(), $("finer-divy").value.trim()];
    $("finer-status").textContent = `Solving the ${divx} x ${divy} mesh...`;
    $("finer-solve").disabled = true;
    await nextPaint();
    if (solveFiner()) remember(true);
    $("finer-solve").disabled = false;
  });
  // Back and forward show the view of that address, a link the one it names.
  window.addEventListener("popstate", () => showView(addressToView()));
  $("copy").addEventListener("click", () => copyTable(membrane.table()));
  const pickShape = async (index) => {
    $("shape-k").value = index;
    $("shape").scrollIntoView({ block: "nearest" });
    await figures.showShape();
    remember(false);
  };
  const listResonances = async () => {
    $("resonances-status").textContent = "Finding the resonances...";
    await nextPaint();
    const listed = showResonances(membrane.resonances(Number($("resonance-count").value)),
                                  pickShape);
    view.modes = listed ? $("resonance-count").value : null;
  };
  showOnSubmit("resonances-form", listResonances);
  await showView(addressToView());
  $("compute").disabled = false;
  $("finer-solve").disabled = false;
  $("list-resonances").disabled = false;
  document.body.dataset.ready = "true";
}

main().catch((error) => {
  $("clipboard").textContent = `The computation could not start: ${error}`;
});
