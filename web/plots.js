// The page's plots: the sweep's, as --plot draws a sweep, and the convergence study's, as it
// draws a study. Every number they show comes from the module; they only place it.

// The sweep: the largest |W| against alpha on a logarithmic axis, the resonances of the
// interval as vertical lines, plain where the load excites them and dashed where it does not;
// zoom with the wheel, the whole again on a double click. A click on a line picks its resonance,
// elsewhere the point under the pointer.

// The plots' palette, the one place both take their colours from: the ink, the grid, the guides
// and their labels, the sweep's curve and its resonances' lines, and a colour for each series of
// the study (the colours --plot gives them).
const PALETTE = {
  ink: "#000",
  grid: "#ddd",
  guide: "#999",
  guideLabel: "#666",
  curve: "rgb(31,119,180)",
  excited: "rgba(214,39,40,0.6)",
  silent: "rgba(120,120,120,0.6)",
  series: ["rgb(31,119,180)", "rgb(214,39,40)", "rgb(44,160,44)", "rgb(148,103,189)",
           "rgb(255,127,14)", "rgb(140,86,75)"],
};
const MARGIN = { left: 64, right: 16, top: 16, bottom: 40 };

export class SweepPlot {
  constructor(canvas, onPick, onHover, onPickLine) {
    this.canvas = canvas;
    this.points = [];   // { alpha, w, alphaText, wText }
    this.lines = [];    // { alpha, excited, index, alphaText }
    this.view = null;   // [x0, x1] in alpha
    canvas.addEventListener("wheel", (event) => this.zoom(event), { passive: false });
    canvas.addEventListener("dblclick", () => { this.view = null; this.draw(); });
    canvas.addEventListener("mousemove",
                            (event) => onHover(this.pointAt(event), this.lineAt(event)));
    canvas.addEventListener("click", (event) => {
      const line = this.lineAt(event), point = this.pointAt(event);
      if (line) onPickLine(line);
      else if (point) onPick(point);
    });
    // From the keyboard: the arrows step a cursor through the points, Enter loads its alpha,
    // + and - zoom about it.
    this.cursor = -1;
    canvas.addEventListener("keydown", (event) => {
      if (!this.points.length) return;
      const step = { ArrowLeft: -1, ArrowRight: 1, PageDown: -10, PageUp: 10 }[event.key];
      if (step) {
        this.cursor = Math.min(this.points.length - 1, Math.max(0, this.cursor + step));
        onHover(this.points[this.cursor], null);
      } else if (event.key === "Enter" && this.cursor >= 0) {
        onPick(this.points[this.cursor]);
      } else if ((event.key === "+" || event.key === "-") && this.cursor >= 0) {
        const [x0, x1] = this.extent(), at = this.points[this.cursor].alpha;
        const factor = event.key === "+" ? 0.8 : 1.25;
        this.view = [at - (at - x0) * factor, at + (x1 - at) * factor];
      } else {
        return;
      }
      event.preventDefault();
      this.draw();
    });
    new ResizeObserver(() => this.draw()).observe(canvas);
  }

  set(points, lines) {
    this.points = points;
    this.lines = lines;
    this.view = null;
    this.cursor = -1;
    this.draw();
  }

  extent() {
    if (this.view) return this.view;
    if (!this.points.length) return [0, 1];
    const a = this.points[0].alpha, b = this.points[this.points.length - 1].alpha;
    return a < b ? [a, b] : [a - 0.5, b + 0.5];
  }

  // Plot coordinates in CSS pixels.
  frame() {
    const width = this.canvas.clientWidth, height = this.canvas.clientHeight;
    const [x0, x1] = this.extent();
    let lo = Infinity, hi = 0;
    for (const p of this.points)
      if (Number.isFinite(p.w) && p.w > 0) { lo = Math.min(lo, p.w); hi = Math.max(hi, p.w); }
    const d0 = hi > 0 ? Math.floor(Math.log10(lo)) : 0;
    const d1 = hi > 0 ? Math.max(d0 + 1, Math.ceil(Math.log10(hi))) : 1;
    const left = MARGIN.left, right = width - MARGIN.right;
    const top = MARGIN.top, bottom = height - MARGIN.bottom;
    return {
      width, height, left, right, top, bottom, x0, x1, d0, d1,
      X: (alpha) => left + (alpha - x0) / (x1 - x0) * (right - left),
      Y: (w) => bottom - (Math.log10(w) - d0) / (d1 - d0) * (bottom - top),
    };
  }

  pointAt(event) {
    if (!this.points.length) return null;
    const f = this.frame();
    const x = event.offsetX;
    if (x < f.left || x > f.right) return null;
    const alpha = f.x0 + (x - f.left) / (f.right - f.left) * (f.x1 - f.x0);
    let best = null;
    for (const p of this.points)
      if (!best || Math.abs(p.alpha - alpha) < Math.abs(best.alpha - alpha)) best = p;
    return best;
  }

  // The resonance line within 3 CSS pixels of the pointer, the nearest.
  lineAt(event) {
    if (!this.points.length) return null;
    const f = this.frame();
    if (event.offsetY < f.top || event.offsetY > f.bottom) return null;
    let best = null;
    for (const line of this.lines) {
      const d = Math.abs(f.X(line.alpha) - event.offsetX);
      if (d <= 3 && (!best || d < best.d)) best = { d, line };
    }
    return best?.line ?? null;
  }

  zoom(event) {
    if (!this.points.length) return;
    event.preventDefault();
    const f = this.frame();
    const at = f.x0 + (event.offsetX - f.left) / (f.right - f.left) * (f.x1 - f.x0);
    const factor = event.deltaY < 0 ? 0.8 : 1.25;
    this.view = [at - (at - f.x0) * factor, at + (f.x1 - at) * factor];
    this.draw();
  }

  draw() {
    const f = this.frame();
    const { g } = context2d(this.canvas);
    g.font = "12px sans-serif";
    g.fillStyle = PALETTE.ink;
    // Decades up the side, ten to the power.
    for (let d = f.d0; d <= f.d1; ++d) {
      const y = f.Y(10 ** d);
      g.fillStyle = PALETTE.grid;
      g.fillRect(f.left, y, f.right - f.left, 1);
      g.fillStyle = PALETTE.ink;
      g.fillText(`1e${d}`, 8, y + 4);
    }
    g.fillText("alpha", (f.left + f.right) / 2 - 14, f.height - 6);
    g.fillText(String(f.x0.toPrecision(4)), f.left, f.bottom + 16);
    g.fillText(String(f.x1.toPrecision(4)), f.right - 40, f.bottom + 16);
    g.save();
    g.beginPath();
    g.rect(f.left, f.top, f.right - f.left, f.bottom - f.top);
    g.clip();
    for (const excited of [false, true])
      for (const line of this.lines) {
        if (line.excited !== excited) continue;
        g.strokeStyle = excited ? PALETTE.excited : PALETTE.silent;
        g.setLineDash(excited ? [] : [4, 3]);
        g.beginPath();
        g.moveTo(Math.round(f.X(line.alpha)) + 0.5, f.top);
        g.lineTo(Math.round(f.X(line.alpha)) + 0.5, f.bottom);
        g.stroke();
      }
    g.setLineDash([]);
    g.strokeStyle = PALETTE.curve;
    g.lineWidth = 1.5;
    g.beginPath();
    let open = false;
    for (const p of this.points) {
      if (!(Number.isFinite(p.w) && p.w > 0)) { open = false; continue; }
      const x = f.X(p.alpha), y = f.Y(p.w);
      if (open) g.lineTo(x, y); else g.moveTo(x, y);
      open = true;
    }
    g.stroke();
    if (this.cursor >= 0) {
      const p = this.points[this.cursor];
      g.strokeStyle = PALETTE.ink;
      g.lineWidth = 1;
      g.strokeRect(f.X(p.alpha) - 4, (p.w > 0 ? f.Y(p.w) : f.bottom) - 4, 8, 8);
    }
    g.restore();
    g.strokeStyle = PALETTE.ink;
    g.lineWidth = 1;
    g.strokeRect(f.left + 0.5, f.top + 0.5, f.right - f.left, f.bottom - f.top);
  }
}

// Sizes the canvas to its CSS box at the screen's device pixels and returns its context, drawing
// in CSS pixels.
function context2d(canvas) {
  const scale = window.devicePixelRatio || 1;
  const width = canvas.clientWidth, height = canvas.clientHeight;
  canvas.width = Math.max(1, Math.round(width * scale));
  canvas.height = Math.max(1, Math.round(height * scale));
  const g = canvas.getContext("2d");
  g.setTransform(scale, 0, 0, scale, 0, 0);
  g.clearRect(0, 0, width, height);
  g.fillStyle = "#fff";
  g.fillRect(0, 0, width, height);
  return { g, width, height };
}

// The study: errors against the element's size h, both on logarithmic axes, each series with
// its points marked, and grey guides of the slopes of orders 1 and 2, of 2 and 4 where the
// low-dispersion scheme is among the series. The series of a second family (a second scheme)
// are dashed, each family taking the colours in its order.
export class StudyPlot {
  constructor(canvas) {
    this.canvas = canvas;
    this.series = [];  // { name, h: [], error: [], family, low }
    new ResizeObserver(() => this.draw()).observe(canvas);
  }

  set(series) {
    this.series = series;
    this.draw();
  }

  draw() {
    const { g, width, height } = context2d(this.canvas);
    const points = this.series.flatMap((s) => s.h.map((h, k) => [h, s.error[k]]))
      .filter(([h, e]) => h > 0 && e > 0 && Number.isFinite(e));
    if (!points.length) return;
    const legend = 18 * this.series.length;
    const box = { left: 64, right: width - 16, top: 16, bottom: height - 40 - legend };
    // Each axis spans its values' logarithms and a twentieth more at either end.
    const span = (values) => {
      const lo = Math.log10(Math.min(...values)), hi = Math.log10(Math.max(...values));
      const pad = 0.05 * Math.max(hi - lo, 1);
      return [lo - pad, hi + pad];
    };
    const hs = [...new Set(points.map(([h]) => h))];
    // The guides fall with h and h^2 to half the smallest error at the finest mesh.
    const hMin = Math.min(...hs), hMax = Math.max(...hs);
    const eMin = Math.min(...points.filter(([h]) => h === hMin).map(([, e]) => e)) / 2;
    const [x0, x1] = span(hs), [y0, y1] = span([eMin, ...points.map(([, e]) => e)]);
    const X = (h) => box.left + (Math.log10(h) - x0) / (x1 - x0) * (box.right - box.left);
    const Y = (e) => box.bottom - (Math.log10(e) - y0) / (y1 - y0) * (box.bottom - box.top);
    g.font = "12px sans-serif";
    this.drawAxes(g, box, hs, [y0, y1], X, Y);
    g.save();
    g.beginPath();
    g.rect(box.left, box.top, box.right - box.left, box.bottom - box.top);
    g.clip();
    this.drawGuides(g, hMin, hMax, eMin, X, Y);
    this.drawSeries(g, X, Y);
    g.restore();
    g.strokeStyle = PALETTE.ink;
    g.lineWidth = 1;
    g.strokeRect(box.left + 0.5, box.top + 0.5, box.right - box.left, box.bottom - box.top);
    this.drawLegend(g, box);
  }

  // The decades of the errors and the meshes' own sizes along h, with their labels.
  drawAxes(g, box, hs, [y0, y1], X, Y) {
    for (let d = Math.ceil(y0); d <= y1; ++d) {
      g.fillStyle = PALETTE.grid;
      g.fillRect(box.left, Y(10 ** d), box.right - box.left, 1);
      g.fillStyle = PALETTE.ink;
      g.fillText(`1e${d}`, 8, Y(10 ** d) + 4);
    }
    for (const h of hs) {
      g.fillStyle = PALETTE.grid;
      g.fillRect(X(h), box.top, 1, box.bottom - box.top);
      g.fillStyle = PALETTE.ink;
      g.fillText(String(h), X(h) - 3 * String(h).length, box.bottom + 16);
    }
    g.fillText("element size h", (box.left + box.right) / 2 - 40, box.bottom + 32);
  }

  // The dashed guides: orders 1 and 2, or 2 and 4 with the low-dispersion scheme.
  drawGuides(g, hMin, hMax, eMin, X, Y) {
    g.setLineDash([5, 4]);
    g.strokeStyle = PALETTE.guide;
    g.fillStyle = PALETTE.guideLabel;
    for (const order of this.series.some((s) => s.low) ? [2, 4] : [1, 2]) {
      const e = (h) => eMin * (h / hMin) ** order;
      g.beginPath();
      g.moveTo(X(hMin), Y(e(hMin)));
      g.lineTo(X(hMax), Y(e(hMax)));
      g.stroke();
      const hMid = Math.sqrt(hMin * hMax);
      g.fillText(`order ${order}`, X(hMid) + 4, Y(e(hMid)) + 14);
    }
    g.setLineDash([]);
  }

  // Each series as a line through its points, the points marked.
  drawSeries(g, X, Y) {
    this.series.forEach((s, n) => {
      g.strokeStyle = g.fillStyle = this.colour(n);
      g.lineWidth = 1.5;
      g.setLineDash(s.family ? [6, 4] : []);
      g.beginPath();
      s.h.forEach((h, k) => {
        if (!(s.error[k] > 0)) return;
        if (k) g.lineTo(X(h), Y(s.error[k])); else g.moveTo(X(h), Y(s.error[k]));
      });
      g.stroke();
      g.setLineDash([]);
      s.h.forEach((h, k) => {
        if (s.error[k] > 0) g.fillRect(X(h) - 3, Y(s.error[k]) - 3, 6, 6);
      });
    });
  }

  // A series' colour: its place within its family.
  colour(n) {
    const family = this.series[n].family ?? 0;
    const place = this.series.slice(0, n).filter((s) => (s.family ?? 0) === family).length;
    return PALETTE.series[place % PALETTE.series.length];
  }

  // The legend under the plot, a line a series.
  drawLegend(g, box) {
    this.series.forEach((s, n) => {
      const y = box.bottom + 48 + 18 * n;
      g.fillStyle = this.colour(n);
      if (s.family) {
        g.fillRect(box.left, y - 8, 7, 3);
        g.fillRect(box.left + 11, y - 8, 7, 3);
      } else {
        g.fillRect(box.left, y - 8, 18, 3);
      }
      g.fillStyle = PALETTE.ink;
      g.fillText(s.name, box.left + 24, y - 2);
    });
  }
}
