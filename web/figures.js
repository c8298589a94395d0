// The figures of the solution shown: its field, one mode shape and the membrane vibrating in
// it, and a gallery of the lowest shapes on one scale.
import { $, membraneMesh, nextPaint, offerOnClick, paintField, showOnSubmit, view } from "./page.js";

// The figure of the solution shown as membrane-solve --figure draws it: the field on the
// domain, the axes a unit a tick, the colour bar with its lowest and highest value and rounded
// ticks, the title, and the line for values that are not finite. What is drawn where, and every
// text, comes from the module (`figure`); this draws it at the canvas's device pixels. Returns
// false where nothing is solved.
function drawFieldFigure(canvas, membrane) {
  const text = membrane.fieldFigure();
  const g = canvas.getContext("2d");
  if (!text) {
    g.clearRect(0, 0, canvas.width, canvas.height);
    canvas.setAttribute("aria-label", "no solution");
    return false;
  }
  const figure = JSON.parse(text);
  const [width, height] = figure.size;
  const pixels = (window.devicePixelRatio || 1) * Math.max(1, canvas.clientWidth) / width;
  canvas.width = Math.round(width * pixels);
  canvas.height = Math.round(height * pixels);
  // A rectangle of the figure at whole device pixels, and the module's image of it there.
  const device = ([x, y, w, h]) => [Math.round(x * pixels), Math.round(y * pixels),
                                    Math.max(1, Math.round(w * pixels)),
                                    Math.max(1, Math.round(h * pixels))];
  const paint = (rect, make) => {
    const [x, y, w, h] = device(rect), image = make(w, h);
    if (image) g.putImageData(image, x, y);
  };
  g.setTransform(1, 0, 0, 1, 0, 0);
  g.fillStyle = "#fff";
  g.fillRect(0, 0, canvas.width, canvas.height);
  paint(figure.domain, (w, h) => membrane.fieldImage(w, h));
  paint(figure.bar, (w, h) => membrane.barImage(w, h));
  g.setTransform(pixels, 0, 0, pixels, 0, 0);
  drawFigureLabels(g, figure);
  canvas.setAttribute("aria-label", `${figure.title}; ${figure.name} from ${figure.lowest} ` +
                      `(blue) to ${figure.highest} (white)`);
  return true;
}

// The axes, the bar's labels and the title of a figure, in its own pixels, as the tool places
// them: 14-pixel labels, a 17-pixel bold title.
function drawFigureLabels(g, { size, domain, bar, title, x, y, name, lowest, highest, ticks,
                              note }) {
  const [width, height] = size;
  const [left, top, w, h] = domain, bottom = top + h - 1;
  const [barLeft, barTop, barWidth, barHeight] = bar, barRight = barLeft + barWidth - 1;
  const barBottom = barTop + barHeight - 1;
  g.font = "14px sans-serif";
  g.fillStyle = g.strokeStyle = "#000";
  g.lineWidth = 1;
  const ascent = 11, lineHeight = 17;
  g.textAlign = "center";
  for (const { text, at } of x) {
    g.fillRect(at, bottom + 1, 1, 6);
    g.fillText(text, at, bottom + 8 + ascent);
  }
  g.fillText("x", left + w / 2, bottom + 30 + ascent);
  g.textAlign = "right";
  for (const { text, at } of y) {
    g.fillRect(left - 6, at, 6, 1);
    g.fillText(text, left - 10, at + ascent / 2 - 1);
  }
  g.textAlign = "left";
  g.fillText("y", left - 46, top + h / 2 + ascent / 2);
  g.strokeRect(left - 0.5, top - 0.5, w + 1, h + 1);
  g.strokeRect(barLeft - 0.5, barTop - 0.5, barWidth + 1, barHeight + 1);
  g.textAlign = "center";
  g.fillText(name, barLeft + barWidth / 2, barTop - 10);
  g.textAlign = "left";
  if (lowest !== "") {
    g.fillText(highest, barRight + 8, barTop + ascent / 2);
    g.fillText(lowest, barRight + 8, barBottom + ascent / 2);
    for (const { text, at } of ticks) {
      if (at - barTop < lineHeight || barBottom - at < lineHeight) continue;
      g.fillRect(barRight + 1, at, 5, 1);
      g.fillText(text, barRight + 8, at + ascent / 2 - 1);
    }
  }
  g.font = "bold 17px sans-serif";
  g.textAlign = "center";
  g.fillText(title, width / 2, 14 + 16 + 6);
  if (note) {
    g.font = "14px sans-serif";
    g.fillStyle = "rgb(160, 0, 0)";
    g.fillText(note, width / 2, height - 10);
  }
  g.textAlign = "left";
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
  const drawField = () => drawFieldFigure($("field"), membrane);
  new ResizeObserver(drawField).observe($("field"));
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
