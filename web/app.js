// The page: the dialog's part (the three fields, 計算 and ｵﾌﾟｼｮﾝ, the report list, the table on
// the clipboard, the colour map and the files) and beyond it a finer mesh, the solution's
// figure, the resonances, the mode shapes, the sweep and the convergence study. Every number
// comes from the project's own C++ compiled to WebAssembly; this module only shows them. The
// address holds what the page shows, so that a link reproduces it.
import MembraneModule from "./membrane.js";
import { setUpFigures } from "./figures.js";
import {
  $, addressToView, forgetTheParts, membraneMesh, nextPaint, offerOnClick, remember,
  showOnSubmit, view,
} from "./page.js";
import { setUpStudy } from "./study.js";
import { setUpSweep } from "./sweep.js";

// The module's figures and shapes: their images from its RGBA pixels, and the shapes found, a
// text read as the tool reads it.
function bindFigures(module) {
  const asked = (name, value) => module.UTF8ToString(
    module.ccall(name, "number", ["string"], [String(value)]));
  return {
    // An image of width x height device pixels from the module's RGBA pixels.
    image(pointer, width, height) {
      if (!pointer || !width || !height) return null;
      const bytes = module.HEAPU8.slice(pointer, pointer + 4 * width * height);
      return new ImageData(new Uint8ClampedArray(bytes.buffer), width, height);
    },
    fieldImage(width, height) {
      return this.image(module._membrane_field_pixels(width, height), width, height);
    },
    // What the solution's figure draws beside the field, as JSON; "" where nothing is solved.
    fieldFigure: () => module.UTF8ToString(module._membrane_field_figure()),
    barImage(width, height) {
      return this.image(module._membrane_field_bar_pixels(width, height), width, height);
    },
    findShapes(first, last) {
      return module.UTF8ToString(module._membrane_find_shapes(first, last));
    },
    findShape: (number) => asked("membrane_find_shape", number),
    findGallery: (count) => asked("membrane_find_gallery", count),
    shapeImage(k, width, height, factor, shared) {
      return this.image(module._membrane_shape_pixels(k, width, height, factor, shared ? 1 : 0),
                        width, height);
    },
    resonances: (count) => asked("membrane_resonances_counted", count),
  };
}

// The C interface of the module, its texts read as UTF-8.
function bind(module) {
  const text = (name) => () => module.UTF8ToString(module[`_membrane_${name}`]());
  return {
    ...bindFigures(module),
    compute(divx, divy, alpha, option) {
      return module.ccall("membrane_compute", "number", ["string", "string", "string", "number"],
                          [divx, divy, alpha, option ? 1 : 0]);
    },
    // A finer mesh, read as membrane-solve reads it: what was solved and its notes, or
    // "error: " and the reason.
    solveMesh(divx, divy, alpha, option, scheme = "standard") {
      return module.UTF8ToString(module.ccall(
        "membrane_solve_mesh", "number", ["string", "string", "string", "number", "string"],
        [divx, divy, alpha, option ? 1 : 0, scheme]));
    },
    list: text("list"),
    note: text("note"),
    // The mesh the parts below show, [0, 0] where nothing is solved, and its option.
    mesh: () => [module._membrane_divx(), module._membrane_divy()],
    option: () => module._membrane_option() === 1,
    scheme: text("scheme"),
    figureText: text("figure_text"),
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

// The two solutions, the dialog's computation and the finer mesh's solve; the parts below then
// show the one computed last. Returns what computes each.
function setUpSolutions(membrane, figures) {
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
    $("note").textContent = membrane.note();
    newSolution();
    $("downloads").hidden = outcome === 2;
    if (outcome !== 2) copyTable(membrane.table());
  };
  const solveFiner = () => {
    const inputs = { divx: $("finer-divx").value, divy: $("finer-divy").value,
                     alpha: $("finer-alpha").value, option: $("finer-option").checked,
                     scheme: $("scheme").value };
    const begun = performance.now();
    const said = membrane.solveMesh(inputs.divx, inputs.divy, inputs.alpha, inputs.option,
                                    inputs.scheme);
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
  return { computeDialog, solveFiner };
}

// The list of the resonances of the mesh shown; returns what lists them.
function setUpResonances(membrane, pickShape) {
  const listResonances = async () => {
    $("resonances-status").textContent = "Finding the resonances...";
    await nextPaint();
    const listed = showResonances(membrane.resonances($("resonance-count").value), pickShape);
    view.modes = listed ? $("resonance-count").value : null;
  };
  showOnSubmit("resonances-form", listResonances);
  return listResonances;
}

// What shows an address's view again: the computations in the order that leaves the one it
// shows last, then what the parts show of it.
function viewShower({ computeDialog, solveFiner, listResonances, figures, startSweep,
                      startStudy }) {
  const fill = (prefix, inputs) => {
    for (const key of ["divx", "divy", "alpha"]) $(`${prefix}${key}`).value = inputs[key];
    $(`${prefix}option`).checked = inputs.option;
    if (prefix === "finer-") $("scheme").value = inputs.scheme ?? "standard";
  };
  return async (target) => {
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
      for (const key of ["ladder", "alpha", "modes", "scheme"])
        if (target.study[key] !== null) $(`study-${key}`).value = target.study[key];
      startStudy(target.study.of);
    }
  };
}

async function main() {
  const membrane = bind(await MembraneModule());
  window.membrane = membrane;  // for the page's tests and users' own automation
  const figures = setUpFigures(membrane);
  const pickShape = async (index) => {
    $("shape-k").value = index;
    $("shape").scrollIntoView({ block: "nearest" });
    await figures.showShape();
    remember(false);
  };
  const startSweep = setUpSweep(membrane, pickShape);
  const startStudy = setUpStudy();
  setUpDownloads(membrane);
  const solutions = setUpSolutions(membrane, figures);
  const listResonances = setUpResonances(membrane, pickShape);
  const showView = viewShower({ ...solutions, listResonances, figures, startSweep, startStudy });
  // Back and forward show the view of that address, a link the one it names.
  window.addEventListener("popstate", () => showView(addressToView()));
  $("copy").addEventListener("click", () => copyTable(membrane.table()));
  await showView(addressToView());
  for (const id of ["compute", "finer-solve", "list-resonances"]) $(id).disabled = false;
  document.body.dataset.ready = "true";
}

main().catch((error) => {
  $("clipboard").textContent = `The computation could not start: ${error}`;
});
