// The figures of the solution shown: its field, one mode shape and the membrane vibrating in
// it, and a gallery of the lowest shapes on one scale.
import { $, membraneMesh, nextPaint, offerOnClick, paintField, showOnSubmit, view } from "./page.js";

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

// The membrane vibrating in the shape drawn: the shape times cos of the time, one period in
// two seconds, started and paused by the Play button. Returns what stops it.
function setUpVibration(drawShape) {
  let timer = null;
  const stop = () => {
    if (timer) cancelAnimationFrame(timer);
    timer = null;
    $("shape-play").setAttribute("aria-pressed", "false");
    $("shape-play").textContent = "Play";
  };
  $("shape-play").addEventListener("click", () => {
    if (timer) { stop(); drawShape(1); return; }
    $("shape-play").setAttribute("aria-pressed", "true");
    $("shape-play").textContent = "Pause";
    const started = performance.now();
    const frame = (now) => {
      drawShape(Math.cos(Math.PI * (now - started) / 1000));
      timer = requestAnimationFrame(frame);
    };
    timer = requestAnimationFrame(frame);
  });
  return stop;
}

// The gallery's figures, one a shape {index, alpha, kx, ky}: [figure, its canvas, its number].
function galleryFigures(rows) {
  return rows.map((row, k) => {
    const { index, alpha, kx, ky } = row;
    const figure = document.createElement("figure");
    const canvas = document.createElement("canvas");
    canvas.setAttribute("role", "img");
    canvas.setAttribute("aria-label", `shape ${index}`);
    const caption = document.createElement("figcaption");
    caption.textContent = `${index}   (${kx}, ${ky})   α = ${alpha}`;
    figure.append(caption, canvas);
    return [figure, canvas, k];
  });
}

// The shape of the number in its field, drawn, with what it is in the status line.
async function showOneShape(membrane, drawShape) {
  $("shape-status").textContent = "Finding the shape...";
  await nextPaint();
  const found = membrane.findShape($("shape-k").value);
  if (found.startsWith("error: ")) {
    $("shape-status").textContent = found.slice(7);
    $("shape-play").disabled = true;
    return;
  }
  const [{ index, alpha, kx, ky }] = JSON.parse(found);
  $("shape-status").textContent =
    `Shape ${index} of the ${membraneMesh()} mesh: alpha ${alpha}, (kx, ky) = (${kx}, ${ky})`;
  drawShape(1);
  $("shape-play").disabled = false;
  view.shape = $("shape-k").value;
  view.gallery = null;
}

// The solution's figure, one shape and its vibration, and the gallery; returns what redraws
// the figure and shows a shape or the gallery.
export function setUpFigures(membrane) {
  const drawField = () => {
    const drawn = paintField($("field"), (w, h) => membrane.fieldImage(w, h));
    const text = membrane.figureText();
    const scale = drawn && text ? JSON.parse(text) : null;
    $("field-scale").textContent =
      scale ? `W from ${scale.lowest} (blue) to ${scale.highest} (white)` : "";
  };
  offerOnClick("download-field", () => $("field"));
  offerOnClick("download-shape", () => $("shape"));
  offerOnClick("download-gallery", galleryImage);
  const drawShape = (factor) =>
    paintField($("shape"), (w, h) => membrane.shapeImage(0, w, h, factor, false));
  const stop = setUpVibration(drawShape);
  const showShape = async () => {
    stop();
    await showOneShape(membrane, drawShape);
  };
  showOnSubmit("shape-form", showShape);
  const showGallery = async () => {
    stop();
    $("shape-status").textContent = "Finding the shapes...";
    await nextPaint();
    const found = membrane.findGallery($("gallery-n").value);
    if (found.startsWith("error: ")) {
      $("shape-status").textContent = found.slice(7);
      return;
    }
    const figures = galleryFigures(JSON.parse(found));
    $("gallery").replaceChildren(...figures.map(([figure]) => figure));
    for (const [, canvas, k] of figures)
      paintField(canvas, (w, h) => membrane.shapeImage(k, w, h, 1, true));
    $("shape-status").textContent =
      `The ${figures.length} lowest shapes of the ${membraneMesh()} mesh on one scale.`;
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
