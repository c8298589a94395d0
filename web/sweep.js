// The sweep's plot, as --plot draws it: the largest |W| against alpha on a logarithmic axis,
// the resonances of the interval as vertical lines, plain where the load excites them and
// dashed where it does not; zoom with the wheel, the whole again on a double click.

const CURVE = "rgb(31,119,180)", EXCITED = "rgba(214,39,40,0.6)", SILENT = "rgba(120,120,120,0.6)";
const MARGIN = { left: 64, right: 16, top: 16, bottom: 40 };

export class SweepPlot {
  constructor(canvas, onPick, onHover) {
    this.canvas = canvas;
    this.points = [];   // { alpha, w, alphaText, wText }
    this.lines = [];    // { alpha, excited }
    this.view = null;   // [x0, x1] in alpha
    canvas.addEventListener("wheel", (event) => this.zoom(event), { passive: false });
    canvas.addEventListener("dblclick", () => { this.view = null; this.draw(); });
    canvas.addEventListener("mousemove", (event) => onHover(this.pointAt(event)));
    canvas.addEventListener("click", (event) => {
      const point = this.pointAt(event);
      if (point) onPick(point);
    });
    new ResizeObserver(() => this.draw()).observe(canvas);
  }

  set(points, lines) {
    this.points = points;
    this.lines = lines;
    this.view = null;
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
    const canvas = this.canvas, scale = window.devicePixelRatio || 1;
    const f = this.frame();
    canvas.width = Math.round(f.width * scale);
    canvas.height = Math.round(f.height * scale);
    const g = canvas.getContext("2d");
    g.setTransform(scale, 0, 0, scale, 0, 0);
    g.clearRect(0, 0, f.width, f.height);
    g.font = "12px sans-serif";
    g.fillStyle = "#000";
    // Decades up the side, ten to the power.
    for (let d = f.d0; d <= f.d1; ++d) {
      const y = f.Y(10 ** d);
      g.fillStyle = "#ddd";
      g.fillRect(f.left, y, f.right - f.left, 1);
      g.fillStyle = "#000";
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
        g.strokeStyle = excited ? EXCITED : SILENT;
        g.setLineDash(excited ? [] : [4, 3]);
        g.beginPath();
        g.moveTo(Math.round(f.X(line.alpha)) + 0.5, f.top);
        g.lineTo(Math.round(f.X(line.alpha)) + 0.5, f.bottom);
        g.stroke();
      }
    g.setLineDash([]);
    g.strokeStyle = CURVE;
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
    g.restore();
    g.strokeStyle = "#000";
    g.lineWidth = 1;
    g.strokeRect(f.left + 0.5, f.top + 0.5, f.right - f.left, f.bottom - f.top);
  }
}
