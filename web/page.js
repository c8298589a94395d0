// What the page's parts share: the element lookup, the view the address holds and the history
// of computations, the downloads offered, the waits for a painted page, and the long work
// aside in a worker.
export const $ = (id) => document.getElementById(id);

// Offers a file for download, made when asked for.
let offered = null;
export function offer(blob, name) {
  if (offered) URL.revokeObjectURL(offered);
  offered = URL.createObjectURL(blob);
  const link = document.createElement("a");
  link.href = offered;
  link.download = name;
  link.click();
}

// Each link downloads what `make` makes on a click: a Blob, or a canvas as PNG.
export function offerOnClick(id, make) {
  $(id).addEventListener("click", (event) => {
    event.preventDefault();
    const made = make();
    const name = $(id).getAttribute("download");
    if (made instanceof HTMLCanvasElement) made.toBlob((blob) => offer(blob, name));
    else offer(made, name);
  });
}

// What the page shows, as the address holds it: the dialog's inputs once computed, the finer
// mesh once solved, which of the two the parts below show, and what they show of it. Each text
// is kept as it was typed.
export const view = {
  dialog: null,    // { divx, divy, alpha, option }
  finer: null,     // { divx, divy, alpha, option, scheme }
  shown: "dialog",
  modes: null,     // how many resonances are listed
  shape: null,     // the resonance whose shape is drawn
  gallery: null,   // how many shapes the gallery draws
  sweep: null,     // "A0:A1:N"
  study: null,     // { of: "solution" | "resonances", ladder, alpha, modes, scheme }
};

// The parts below show a solution; a new one empties what they showed of the last.
export function forgetTheParts() {
  view.modes = view.shape = view.gallery = view.sweep = null;
}

export function viewToAddress() {
  const query = new URLSearchParams();
  const put = (prefix, inputs) => {
    query.set(`${prefix}divx`, inputs.divx);
    query.set(`${prefix}divy`, inputs.divy);
    query.set(`${prefix}alpha`, inputs.alpha);
    query.set(`${prefix}option`, inputs.option ? "on" : "off");
    // The standard scheme is every front end's default, and an address leaves it out.
    if (inputs.scheme && inputs.scheme !== "standard") query.set(`${prefix}scheme`, inputs.scheme);
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
    if (view.study.scheme && view.study.scheme !== "standard")
      query.set("study-scheme", view.study.scheme);
  }
  return `?${query}`;
}

// The view an address holds.
export function addressToView() {
  const query = new URLSearchParams(location.search);
  const inputs = (prefix) => (
    ["divx", "divy", "alpha"].some((key) => query.has(`${prefix}${key}`)) ? {
      divx: query.get(`${prefix}divx`) ?? "", divy: query.get(`${prefix}divy`) ?? "",
      alpha: query.get(`${prefix}alpha`) ?? "", option: query.get(`${prefix}option`) !== "off",
      scheme: query.get(`${prefix}scheme`) ?? "standard",
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
      modes: query.get("study-modes"), scheme: query.get("study-scheme"),
    } : null,
  };
}

// A new computation is a step of the history; what the parts show of it changes the step.
export function remember(step) {
  const address = viewToAddress();
  if (address === location.search) return;
  if (step) history.pushState(null, "", address);
  else history.replaceState(null, "", address);
}

// Resolves once the page has painted what it was told: a status line, before a computation
// holds the page's thread. A hidden page paints nothing, and goes on after a tenth of a second.
export const nextPaint = () => new Promise((resolve) => {
  requestAnimationFrame(() => setTimeout(resolve));
  setTimeout(resolve, 100);
});

// A form whose submission changes what a part shows: the address follows the view.
export function showOnSubmit(id, show) {
  $(id).addEventListener("submit", async (event) => {
    event.preventDefault();
    await show();
    remember(false);
  });
}

// "90 x 30": the mesh the parts below show.
export const membraneMesh = () => window.membrane.mesh().join(" x ");

// Long work in a worker of its own, one at a time for each part: its messages to `onMessage`
// until it reports "done" or "fault"; Cancel ends the worker, and with it the work.
export function runAside(message, onMessage) {
  const worker = new Worker(new URL("./worker.js", import.meta.url), { type: "module" });
  worker.onmessage = ({ data }) => {
    if (data.kind === "done" || data.kind === "fault") worker.terminate();
    onMessage(data);
  };
  worker.postMessage(message);
  return worker;
}

// Draws an image the module made at the canvas's own device pixels, so that it stays sharp.
export function paintField(canvas, make) {
  const scale = window.devicePixelRatio || 1;
  const width = Math.max(1, Math.round(canvas.clientWidth * scale));
  const height = Math.max(1, Math.round(canvas.clientHeight * scale));
  const image = make(width, height);
  canvas.width = width;
  canvas.height = height;
  if (image) canvas.getContext("2d").putImageData(image, 0, 0);
  return image !== null;
}
