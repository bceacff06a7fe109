// The program's window on the page: each frame's command list
// (draw_list.h) drawn on the canvas, and the heading above it.
import { DrawCode } from './draw-codes.js';

const canvas = document.getElementById('window');
const title = document.getElementById('title');
const ctx = canvas.getContext('2d');

// The picture's state. Written here, except flushFrames (the measurements).
export const view = {
  size: 800,            // the window's width and height, window pixels
  framesDrawn: 0,       // frames drawn since the page loaded
  flushFrames: false,   // make each frame's drawing finish before present() returns
  lastFrame: null,      // a copy of the last frame's command list, null before the first
  scale: 1,             // canvas pixels per window pixel
  fittedPixels: 0,      // the canvas's width and height when last fitted, 0: fit again
  holding: false,       // frames are kept, not drawn (a run being brought back)
  held: null,           // the last frame kept meanwhile
};

// 'frame' after each frame drawn.
export const viewEvents = new EventTarget();

// The heading and the picture's name while no window is open.
const defaultTitle = title.textContent;
const defaultDocumentTitle = document.title;
const waitingName = 'まだ図はありません。コンソールの質問に答えると描かれます。 / ' +
                    'No picture yet: it is drawn once the console\'s questions are answered.';
const loadingName = 'まだ図はありません。プログラムを読み込んでいます。 / No picture yet: the program is loading.';
// What the blank picture says: the program is still loading, or its questions wait.
let waitingForLoad = true;

// Canvas colours by their red, green and blue, 0 to 1.
const colours = new Map();
function colour(r, g, b) {
  const key = r * 65536 + g * 256 + b;
  let c = colours.get(key);
  if (!c) {
    c = 'rgb(' + Math.round(r * 255) + ',' + Math.round(g * 255) + ',' + Math.round(b * 255) + ')';
    colours.set(key, c);
  }
  return c;
}

// Whether every vertex in points (x y pairs) lies between a and b and
// within a quarter pixel of the line through them, measured up or down: a
// column of the curve moves no further.
const chordTolerance = 0.25;
const mostLeftOut = 64;
function chordCovers(ax, ay, bx, by, points) {
  if (points.length > 2 * mostLeftOut) return false;
  const dx = bx - ax, dy = by - ay;
  const length2 = dx * dx + dy * dy;
  for (let k = 0; k < points.length; k += 2) {
    const qx = points[k] - ax, qy = points[k + 1] - ay;
    const along = qx * dx + qy * dy;
    const across = qx * dy - qy * dx;
    if (along < 0 || along > length2 || Math.abs(across) > chordTolerance * Math.abs(dx)) {
      return false;
    }
  }
  return true;
}

// Stroke a lines command starting at i; the index after it.
function drawLines(g, c, i) {
  const width = c[i + 4];
  const count = c[i + 5];
  g.strokeStyle = colour(c[i + 1], c[i + 2], c[i + 3]);
  g.lineWidth = width;
  // Long lines along the pixel grid (axes, grid) cover whole pixels, as
  // OpenGL draws them without smoothing: an odd width centred on a pixel, an
  // even one on the boundary between two. Curves' short segments are left
  // where they are.
  const snap = Math.round(width) % 2 ? (v) => Math.floor(v) + 0.5 : Math.round;
  i += 6;
  // Segments wholly beyond one edge by more than their stroke and its
  // joins can reach draw nothing: the chart's curves run on past the
  // window's right edge to ratio 6, a third of their segments.
  const reach = 12 * width, low = -reach, high = view.size + reach;
  g.beginPath();
  // A chain of segments goes to the canvas with the vertices left out that
  // lie within a quarter pixel of the chord that replaces them: a chart's
  // curves are sampled every pixel or two, and stroking is most of a frame's
  // cost on a slow machine.
  let lx = NaN, ly = NaN;  // the end of the last segment taken
  let px = NaN, py = NaN;  // a vertex not yet handed to the path
  let ax = 0, ay = 0;      // the chain's last vertex in the path
  const left = [];         // vertices left out since then, x y pairs
  const flush = () => {
    if (px === px) g.lineTo(px, py);
    px = NaN;
    left.length = 0;
  };
  for (let s = 0; s < count; s++, i += 4) {
    let x0 = c[i], y0 = c[i + 1], x1 = c[i + 2], y1 = c[i + 3];
    if ((x0 > high && x1 > high) || (x0 < low && x1 < low) ||
        (y0 > high && y1 > high) || (y0 < low && y1 < low)) continue;
    if (x0 === x1 && Math.abs(y1 - y0) > 8) x0 = x1 = snap(x0);
    else if (y0 === y1 && Math.abs(x1 - x0) > 8) y0 = y1 = snap(y0);
    if (x0 !== lx || y0 !== ly) {
      flush();
      g.moveTo(x0, y0);
      ax = x0;
      ay = y0;
    } else if (px === px) {
      left.push(px, py);
      if (!chordCovers(ax, ay, x1, y1, left)) {
        g.lineTo(px, py);
        ax = px;
        ay = py;
        left.length = 0;
      }
    }
    px = lx = x1;
    py = ly = y1;
  }
  flush();
  g.stroke();
  return i;
}

// Fill a polygon command starting at i; the index after it.
function drawPolygon(g, c, i) {
  const count = c[i + 4];
  g.fillStyle = colour(c[i + 1], c[i + 2], c[i + 3]);
  i += 5;
  g.beginPath();
  g.moveTo(c[i], c[i + 1]);
  for (let v = 1; v < count; v++) g.lineTo(c[i + 2 * v], c[i + 2 * v + 1]);
  g.closePath();
  g.fill();
  return i + 2 * count;
}

// Text runs, drawn once into a canvas of their own and copied after: a
// chart frame draws the same two hundred glyphs every time, one fillText
// each. Keyed by everything that decides their pixels; forgotten wholesale
// when there are many (the readout's line changes as the crosshair moves).
const glyphRuns = new Map();
const mostGlyphRuns = 64;
// A run's box about its baseline, window pixels: room for 18-pixel glyphs.
const runAbove = 20, runBelow = 6, runPad = 4, lastGlyphWidth = 20;

// Draw the glyph commands from i on (up to n) that share a colour and a
// baseline; the index after them.
function drawGlyphs(g, c, i, n) {
  const red = c[i + 1], green = c[i + 2], blue = c[i + 3], x0 = c[i + 4], y = c[i + 5];
  let chars = '', offsets = '', end = i;
  for (; end < n && c[end] === DrawCode.glyph && c[end + 1] === red && c[end + 2] === green &&
         c[end + 3] === blue && c[end + 5] === y; end += 7) {
    chars += String.fromCharCode(c[end + 6]);
    offsets += (c[end + 4] - x0) + ',';
  }
  const s = view.scale;
  // Whole device pixels from the run's box to the canvas's origin, so that
  // the copy lands pixel for pixel where the glyphs would.
  const ox = Math.floor((x0 - runPad) * s), oy = Math.floor((y - runAbove) * s);
  const key = `${s} ${red} ${green} ${blue} ${x0 * s - ox} ${y * s - oy} ${offsets}${chars}`;
  let run = glyphRuns.get(key);
  if (!run) {
    if (glyphRuns.size >= mostGlyphRuns) glyphRuns.clear();
    run = document.createElement('canvas');
    run.width = Math.ceil((c[end - 3] - x0 + runPad + lastGlyphWidth) * s) + 1;
    run.height = Math.ceil((runAbove + runBelow) * s) + 1;
    const rc = run.getContext('2d');
    rc.setTransform(s, 0, 0, s, -ox, -oy);
    rc.font = g.font;
    rc.textBaseline = g.textBaseline;
    rc.fillStyle = colour(red, green, blue);
    for (let k = i; k < end; k += 7) rc.fillText(String.fromCharCode(c[k + 6]), c[k + 4], y);
    glyphRuns.set(key, run);
  }
  g.save();
  g.setTransform(1, 0, 0, 1, 0, 0);
  g.drawImage(run, ox, oy);
  g.restore();
  return end;
}

// A run of commands that frames keep drawing unchanged (the chart's curves
// and labels while the motion steps), drawn once into a layer of its own and
// copied after: stroking the chart was most of a chart key's time on a slow
// machine. A frame that holds the run of the frame before makes the layer.
const layer = {
  run: null,    // the commands it holds, as the frames have them
  canvas: null, // the canvas's size, transparent but for them
  box: null,    // [x, y, width, height] they cover, canvas pixels
  due: false,   // a layer is to be made in a task of its own
};
// Segments a run must hold to be worth a layer.
const layerSegments = 2000;

// The index after the command at i.
function commandEnd(c, i) {
  switch (c[i]) {
  case DrawCode.clear: return i + 4;
  case DrawCode.lines: return i + 6 + 4 * c[i + 5];
  case DrawCode.polygon: return i + 5 + 2 * c[i + 4];
  default: return i + 7;
  }
}

// Whether c holds the values of run from index i on.
function holds(c, i, run) {
  if (i + run.length > c.length) return false;
  for (let k = 0; k < run.length; k++) if (c[i + k] !== run[k]) return false;
  return true;
}

// The longest run of whole commands of c that the previous frame held as
// they are, [from, to), when it has layerSegments or more; null otherwise.
function keptRun(c, previous) {
  if (!previous) return null;
  const starts = [];
  for (let i = 0; i < previous.length; i = commandEnd(previous, i)) starts.push(i);
  let best = null, bestSegments = 0;
  for (let i = 0; i < c.length;) {
    const end = commandEnd(c, i);
    const at = c[i] === DrawCode.lines && c[i + 5] >= 100
      ? starts.find((j) => previous[j] === c[i] && holds(previous, j, c.subarray(i, end)))
      : undefined;
    if (at === undefined) {
      i = end;
      continue;
    }
    // Grow it while both go on alike.
    let to = i, j = at, segments = 0;
    while (to < c.length) {
      const next = commandEnd(c, to);
      if (!holds(previous, j, c.subarray(to, next))) break;
      if (c[to] === DrawCode.lines) segments += c[to + 5];
      j += next - to;
      to = next;
    }
    if (segments > bestSegments) [best, bestSegments] = [[i, to], segments];
    i = to;
  }
  return bestSegments >= layerSegments ? best : null;
}

// The canvas pixels the commands of c in [from, to) may touch.
function boxOf(c, from, to) {
  let x0 = Infinity, y0 = Infinity, x1 = -Infinity, y1 = -Infinity;
  const take = (x, y, r) => {
    x0 = Math.min(x0, x - r); x1 = Math.max(x1, x + r); y0 = Math.min(y0, y - r); y1 = Math.max(y1, y + r);
  };
  for (let i = from; i < to; i = commandEnd(c, i)) {
    const end = commandEnd(c, i);
    if (c[i] === DrawCode.lines) for (let k = i + 6; k < end; k += 2) take(c[k], c[k + 1], 12 * c[i + 4]);
    else if (c[i] === DrawCode.polygon) for (let k = i + 5; k < end; k += 2) take(c[k], c[k + 1], 2);
    else take(c[i + 4] + lastGlyphWidth / 2, c[i + 5] - runAbove / 2, runAbove);
  }
  const s = view.scale, size = canvas.width;
  const left = Math.max(0, Math.floor(x0 * s)), top = Math.max(0, Math.floor(y0 * s));
  return [left, top, Math.min(size, Math.ceil(x1 * s)) - left, Math.min(size, Math.ceil(y1 * s)) - top];
}

// Copy the layer at its place, as the commands it holds would draw.
function drawLayer() {
  const [x, y, w, h] = layer.box;
  if (w <= 0 || h <= 0) return;
  ctx.save();
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.drawImage(layer.canvas, x, y, w, h, x, y, w, h);
  ctx.restore();
}

// Draw a frame, the layer's run copied where the frame holds it.
function drawFrame(c, previous) {
  if (layer.run) {
    for (let i = 0; i < c.length; i = commandEnd(c, i)) {
      if (c[i] === layer.run[0] && holds(c, i, layer.run)) {
        draw(ctx, c, 0, i);
        drawLayer();
        draw(ctx, c, i + layer.run.length);
        return;
      }
    }
  }
  const kept = keptRun(c, previous);
  layer.run = null;
  draw(ctx, c);
  // The layer for the frames after this one, made in a task of its own: a
  // frame that drew the run, made the layer and copied it was one task of
  // over 50 ms on a slow machine.
  if (kept && !layer.due) {
    const run = c.slice(kept[0], kept[1]);
    const box = boxOf(c, kept[0], kept[1]);
    const scale = view.scale;
    layer.due = true;
    setTimeout(() => {
      layer.due = false;
      if (scale === view.scale && !layer.run) makeLayer(run, box);
    });
  }
}

// Draw the run of commands into the layer's canvas.
function makeLayer(run, box) {
  if (!layer.canvas) layer.canvas = document.createElement('canvas');
  if (layer.canvas.width !== canvas.width) layer.canvas.width = layer.canvas.height = canvas.width;
  const g = layer.canvas.getContext('2d');
  g.setTransform(1, 0, 0, 1, 0, 0);
  g.clearRect(0, 0, layer.canvas.width, layer.canvas.height);
  g.setTransform(view.scale, 0, 0, view.scale, 0, 0);
  for (const p of ['font', 'textBaseline', 'lineJoin']) g[p] = ctx[p];
  draw(g, run);
  layer.run = run;
  layer.box = box;
}

// Keep the frames from now on instead of drawing them (on), or stop
// keeping them.
export function holdFrames(on) {
  view.holding = on;
  view.held = null;
}

// Draw the last frame kept, if any, and draw frames again.
export function drawKeptFrame() {
  const held = view.held;
  holdFrames(false);
  if (held) present(held);
}

// Draw one frame's command list.
export function present(c) {
  if (view.holding) {
    view.held = c.slice();
    return;
  }
  drawFrame(c, view.lastFrame);
  view.lastFrame = c.slice();
  if (view.flushFrames) ctx.getImageData(0, 0, 1, 1);
  view.framesDrawn++;
  viewEvents.dispatchEvent(new Event('frame'));
}

function draw(g, c, i = 0, n = c.length) {
  while (i < n) {
    switch (c[i]) {
    case DrawCode.clear:
      g.fillStyle = colour(c[i + 1], c[i + 2], c[i + 3]);
      g.fillRect(0, 0, view.size, view.size);
      i += 4;
      break;
    case DrawCode.lines:
      i = drawLines(g, c, i);
      break;
    case DrawCode.polygon:
      i = drawPolygon(g, c, i);
      break;
    case DrawCode.glyph:
      i = drawGlyphs(g, c, i, n);
      break;
    default:
      throw new Error(`page: unknown drawing command ${c[i]} at ${i}`);
    }
  }
}

// Size the canvas's pixels to its size on the screen times the screen's
// pixels per CSS pixel, so that the picture stays sharp on any screen and at
// any zoom, and draw the picture again at that size.
function fitCanvas() {
  const cssSize = canvas.getBoundingClientRect().width;
  const pixels = Math.max(1, Math.round(cssSize * (window.devicePixelRatio || 1)));
  if (pixels === view.fittedPixels) return;
  view.fittedPixels = canvas.width = canvas.height = pixels;
  view.scale = pixels / view.size;
  // Drawn in window pixels; the scale maps them onto the canvas's.
  ctx.setTransform(view.scale, 0, 0, view.scale, 0, 0);
  ctx.font = '18px Helvetica, Arial, "Liberation Sans", sans-serif';
  ctx.textBaseline = 'alphabetic';
  ctx.lineJoin = 'bevel';
  layer.run = null;
  if (view.lastFrame) draw(ctx, view.lastFrame);
  else drawWaiting();
}

// A change of devicePixelRatio (zoom, another screen) makes the query for the
// present one stop matching. Held here, so that it lives as long as it listens.
let pixelRatioQuery = null;
function watchPixelRatio() {
  pixelRatioQuery = matchMedia(`(resolution: ${window.devicePixelRatio || 1}dppx)`);
  pixelRatioQuery.addEventListener('change', () => { fitCanvas(); watchPixelRatio(); }, { once: true });
}
new ResizeObserver(fitCanvas).observe(canvas);
watchPixelRatio();

// The picture until the program draws: blank, with a line saying why.
function drawWaiting() {
  ctx.fillStyle = '#fff';
  ctx.fillRect(0, 0, view.size, view.size);
  ctx.fillStyle = '#666';
  ctx.textAlign = 'center';
  if (waitingForLoad) {
    ctx.fillText('プログラムを読み込んでいます…', view.size / 2, view.size / 2 - 14);
    ctx.fillText('Loading the program…', view.size / 2, view.size / 2 + 14);
  } else {
    ctx.fillText('コンソールの質問に答えると図が描かれます', view.size / 2, view.size / 2 - 14);
    ctx.fillText('The picture comes once the console\'s questions are answered', view.size / 2, view.size / 2 + 14);
  }
  ctx.textAlign = 'start';
}

// The window pixel under a point of the page (a pointer event's clientX and
// clientY): the canvas's content box, whatever its size on the screen, holds
// the window's view.size pixels.
export function windowPixel(clientX, clientY) {
  const box = canvas.getBoundingClientRect();
  const width = canvas.clientWidth || box.width;
  const height = canvas.clientHeight || box.height;
  const x = clientX - box.left - canvas.clientLeft;
  const y = clientY - box.top - canvas.clientTop;
  return { x: Math.floor(x * view.size / width), y: Math.floor(y * view.size / height) };
}

// Forget the last run's picture and heading until the next run draws; the
// blank picture says the program is loading.
export function clearWindow() {
  view.lastFrame = null;
  title.textContent = defaultTitle;
  document.title = defaultDocumentTitle;
  waitForQuestions(false);
}

// The blank picture, before the first frame: the program is loading
// (questions false) or its questions wait for answers.
export function waitForQuestions(questions) {
  waitingForLoad = !questions;
  if (view.lastFrame) return;
  canvas.setAttribute('aria-label', questions ? waitingName : loadingName);
  drawWaiting();
}

// Show the window, a square of size window pixels, and its title.
export function openWindow(size, text) {
  view.size = size;
  view.fittedPixels = 0;
  fitCanvas();
  title.textContent = text;
  document.title = text;
}
