// The page: the dialog's part (the three fields, 計算 and ｵﾌﾟｼｮﾝ, the report list, the table on
// the clipboard, the colour map and the files) and beyond it the solution's figure, the
// resonances, the mode shapes and the sweep. Every number comes from the project's own C++
// compiled to WebAssembly; this module only shows them.
import MembraneModule from "./membrane.js";
import { SweepPlot } from "./sweep.js";

const $ = (id) => document.getElementById(id);

// The C interface of the module, its texts read as UTF-8.
function bind(module) {
  const text = (name) => () => module.UTF8ToString(module[`_membrane_${name}`]());
  return {
    compute(divx, divy, alpha, option) {
      return module.ccall("membrane_compute", "number", ["string", "string", "string", "number"],
                          [divx, divy, alpha, option ? 1 : 0]);
    },
    list: text("list"),
    mesh: () => [module._membrane_divx(), module._membrane_divy()],
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
    findShapes(first, last, option) {
      return module.UTF8ToString(module._membrane_find_shapes(first, last, option ? 1 : 0));
    },
    shapeImage(k, width, height, factor, shared) {
      return this.image(module._membrane_shape_pixels(k, width, height, factor, shared ? 1 : 0),
                        width, height);
    },
    resonances(n, option) {
      return module.UTF8ToString(module._membrane_resonances(n, option ? 1 : 0));
    },
    table: text("table"),
    csv: text("csv"),
    vtk() {
      const at = module._membrane_vtk(), size = module._membrane_vtk_size();
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

// The files of the solution shown, made when a link is followed: a computation makes only what
// the dialog shows.
let downloadUrl = null;
let drawField = null;
function setUpDownloads(membrane) {
  const files = {
    "download-csv": () => new Blob([membrane.csv()], { type: "text/csv" }),
    "download-vtk": () => new Blob([membrane.vtk()], { type: "application/octet-stream" }),
    "download-table": () => new Blob([membrane.table()], { type: "text/plain" }),
  };
  for (const [id, make] of Object.entries(files)) {
    $(id).href = "#";
    $(id).addEventListener("click", (event) => {
      event.preventDefault();
      if (downloadUrl) URL.revokeObjectURL(downloadUrl);
      downloadUrl = URL.createObjectURL(make());
      const link = document.createElement("a");
      link.href = downloadUrl;
      link.download = $(id).getAttribute("download");
      link.click();
    });
  }
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

// The inputs in the address, so that a link reproduces the computation: ?divx=..&divy=..
// &alpha=..&option=on|off, each text as it was typed.
function inputsToAddress() {
  const query = new URLSearchParams({
    divx: $("divx").value, divy: $("divy").value, alpha: $("alpha").value,
    option: $("option").checked ? "on" : "off",
  });
  return `?${query}`;
}

// Fills the fields from the address; true where it holds a computation.
function addressToInputs() {
  const query = new URLSearchParams(location.search);
  if (!query.has("divx") && !query.has("divy") && !query.has("alpha"))
    return false;
  for (const field of ["divx", "divy", "alpha"])
    $(field).value = query.get(field) ?? "";
  $("option").checked = query.get("option") !== "off";
  return true;
}

// The rows of --details, their texts as the program writes them.
function showResonances(csv) {
  const body = $("resonances").tBodies[0];
  if (csv.startsWith("error: ")) {
    $("resonances-status").textContent = csv.slice(7);
    body.replaceChildren();
    return;
  }
  const rows = csv.split("\n").slice(1, -1).map((line) => {
    const row = document.createElement("tr");
    for (const field of line.split(",")) {
      const cell = document.createElement("td");
      cell.textContent = field;
      row.append(cell);
    }
    return row;
  });
  body.replaceChildren(...rows);
  $("resonances-status").textContent = `${rows.length} resonances of the mesh computed.`;
}

// The sweep in a worker of its own: its rows gathered as they come, the progress shown; Cancel
// ends the worker, and with it the sweep.
function setUpSweep(membrane) {
  let worker = null, parts = [];
  const status = $("sweep-status"), progress = $("sweep-progress");
  const plot = new SweepPlot($("sweep-plot"), (point) => {
    $("alpha").value = point.alphaText;
    $("inputs").requestSubmit();
  }, (point) => {
    $("sweep-readout").textContent =
      point ? `alpha ${point.alphaText}, max |W| ${point.wText}` : "";
  });
  const finish = () => {
    worker?.terminate();
    worker = null;
    $("sweep-cancel").disabled = true;
  };
  $("sweep-cancel").addEventListener("click", () => {
    status.textContent = `Cancelled after ${Math.round(progress.value * 100)}% of the points.`;
    finish();
  });
  $("sweep-form").addEventListener("submit", (event) => {
    event.preventDefault();
    finish();
    const [divx, divy] = membrane.mesh();
    if (!divx) {
      status.textContent = "Compute first: the sweep is of the mesh computed.";
      return;
    }
    parts = [];
    progress.value = 0;
    $("download-sweep").hidden = true;
    status.textContent = `Sweeping the ${divx} x ${divy} mesh...`;
    worker = new Worker(new URL("./worker.js", import.meta.url), { type: "module" });
    $("sweep-cancel").disabled = false;
    worker.onmessage = ({ data }) => {
      if (data.kind === "fault") {
        status.textContent = data.text;
        finish();
      } else if (data.kind === "rows") {
        parts.push(data.rows);
        progress.value = data.done / data.total;
        status.textContent = `Sweeping the ${divx} x ${divy} mesh: ${data.done} of ${data.total} points.`;
      } else {
        const csv = parts.join("");
        const points = csv.split("\n").slice(1, -1).map((row) => {
          const [alphaText, wText] = row.split(",");
          return { alpha: Number(alphaText), w: Number(wText), alphaText, wText };
        });
        const lines = data.lines.split("\n").slice(0, -1).map((row) => {
          const [alpha, excited] = row.split(",");
          return { alpha: Number(alpha), excited: excited === "1" };
        });
        plot.set(points, lines);
        const download = $("download-sweep");
        if (download.href) URL.revokeObjectURL(download.href);
        download.href = URL.createObjectURL(new Blob([csv], { type: "text/csv" }));
        download.hidden = false;
        window.membrane.lastSweep = csv;
        status.textContent = `Swept ${points.length} points; ${lines.filter((l) => l.excited).length} of ${lines.length} resonances excited.`;
        finish();
      }
    };
    worker.postMessage({ divx, divy, range: $("sweep-range").value, option: $("option").checked });
  });
  $("sweep-start").disabled = false;
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

function setUpFigures(membrane) {
  const drawField = () => {
    const drawn = paintField($("field"), (w, h) => membrane.fieldImage(w, h));
    const [lo, hi] = membrane.figureText().split(",");
    $("field-scale").textContent = drawn ? `W from ${lo} (blue) to ${hi} (white)` : "";
  };
  $("download-field").addEventListener("click", (event) => {
    event.preventDefault();
    $("field").toBlob((blob) => {
      const link = document.createElement("a");
      link.href = URL.createObjectURL(blob);
      link.download = "field.png";
      link.click();
    });
  });

  let shapes = [], timer = null, started = 0;
  const stop = () => {
    if (timer) cancelAnimationFrame(timer);
    timer = null;
    $("shape-play").setAttribute("aria-pressed", "false");
    $("shape-play").textContent = "Play";
  };
  const drawShape = (factor) =>
    paintField($("shape"), (w, h) => membrane.shapeImage(0, w, h, factor, false));
  $("shape-form").addEventListener("submit", (event) => {
    event.preventDefault();
    stop();
    const k = Number($("shape-k").value);
    const found = membrane.findShapes(k, k, $("option").checked);
    if (found.startsWith("error: ")) {
      $("shape-status").textContent = found.slice(7);
      $("shape-play").disabled = true;
      return;
    }
    const [index, alpha, kx, ky] = found.trim().split(",");
    shapes = [found];
    $("shape-status").textContent = `Shape ${index}: alpha ${alpha}, (kx, ky) = (${kx}, ${ky})`;
    drawShape(1);
    $("shape-play").disabled = false;
  });
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
  $("gallery-form").addEventListener("submit", (event) => {
    event.preventDefault();
    stop();
    const n = Math.min(36, Math.max(1, Number($("gallery-n").value)));
    const found = membrane.findShapes(1, n, $("option").checked);
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
    $("shape-status").textContent = `The ${rows.length} lowest shapes on one scale.`;
    $("shape-play").disabled = true;
  });
  $("shape-show").disabled = false;
  $("gallery-show").disabled = false;
  return drawField;
}

async function main() {
  const membrane = bind(await MembraneModule());
  window.membrane = membrane;  // for the page's tests and users' own automation
  const form = $("inputs");
  const run = (record) => {
    const outcome = membrane.compute($("divx").value, $("divy").value, $("alpha").value,
                                     $("option").checked);
    if (record && location.search !== inputsToAddress())
      history.pushState(null, "", inputsToAddress());
    showList($("list"), membrane.list());
    paintMap($("map"), membrane.map());
    drawField?.();
    if (outcome === 2) {
      $("downloads").hidden = true;
      return;
    }
    $("downloads").hidden = false;
    copyTable(membrane.table());
  };
  form.addEventListener("submit", (event) => {
    event.preventDefault();
    run(true);
  });
  // Back and forward show the computation of that address, a link the one it names.
  window.addEventListener("popstate", () => {
    if (addressToInputs())
      run(false);
  });
  $("copy").addEventListener("click", () => copyTable(membrane.table()));
  $("resonances-form").addEventListener("submit", (event) => {
    event.preventDefault();
    showResonances(membrane.resonances(Number($("resonance-count").value), $("option").checked));
  });
  setUpSweep(membrane);
  setUpDownloads(membrane);
  drawField = setUpFigures(membrane);
  if (addressToInputs())
    run(false);
  $("compute").disabled = false;
  $("list-resonances").disabled = false;
  document.body.dataset.ready = "true";
}

main().catch((error) => {
  $("clipboard").textContent = `The computation could not start: ${error}`;
});
