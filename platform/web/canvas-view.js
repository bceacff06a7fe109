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
};

// 'frame' after each frame drawn.
export const viewEvents = new EventTarget();

// The heading and the picture's name while no window is open.
const defaultTitle = title.textContent;
const defaultDocumentTitle = document.title;
const waitingName = 'まだ図はありません。コンソールの質問に答えると描かれます。 / ' +
                    'No picture yet: it is drawn once the console\'s questions are answered.';

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

// Stroke a lines command starting at i; the index after it.
function drawLines(c, i) {
  const width = c[i + 4];
  const count = c[i + 5];
  ctx.strokeStyle = colour(c[i + 1], c[i + 2], c[i + 3]);
  ctx.lineWidth = width;
  // Long lines along the pixel grid (axes, grid) cover whole pixels, as
  // OpenGL draws them without smoothing: an odd width centred on a pixel, an
  // even one on the boundary between two. Curves' short segments are left
  // where they are.
  const snap = Math.round(width) % 2 ? (v) => Math.floor(v) + 0.5 : Math.round;
  i += 6;
  ctx.beginPath();
  let lx = NaN, ly = NaN;
  for (let s = 0; s < count; s++, i += 4) {
    let x0 = c[i], y0 = c[i + 1], x1 = c[i + 2], y1 = c[i + 3];
    if (x0 === x1 && Math.abs(y1 - y0) > 8) x0 = x1 = snap(x0);
    else if (y0 === y1 && Math.abs(x1 - x0) > 8) y0 = y1 = snap(y0);
    if (x0 !== lx || y0 !== ly) ctx.moveTo(x0, y0);
    lx = x1;
    ly = y1;
    ctx.lineTo(lx, ly);
  }
  ctx.stroke();
  return i;
}

// Fill a polygon command starting at i; the index after it.
function drawPolygon(c, i) {
  const count = c[i + 4];
  ctx.fillStyle = colour(c[i + 1], c[i + 2], c[i + 3]);
  i += 5;
  ctx.beginPath();
  ctx.moveTo(c[i], c[i + 1]);
  for (let v = 1; v < count; v++) ctx.lineTo(c[i + 2 * v], c[i + 2 * v + 1]);
  ctx.closePath();
  ctx.fill();
  return i + 2 * count;
}

// Draw one frame's command list.
export function present(c) {
  draw(c);
  view.lastFrame = c.slice();
  if (view.flushFrames) ctx.getImageData(0, 0, 1, 1);
  view.framesDrawn++;
  viewEvents.dispatchEvent(new Event('frame'));
}

function draw(c) {
  const n = c.length;
  let i = 0;
  while (i < n) {
    switch (c[i]) {
    case DrawCode.clear:
      ctx.fillStyle = colour(c[i + 1], c[i + 2], c[i + 3]);
      ctx.fillRect(0, 0, view.size, view.size);
      i += 4;
      break;
    case DrawCode.lines:
      i = drawLines(c, i);
      break;
    case DrawCode.polygon:
      i = drawPolygon(c, i);
      break;
    case DrawCode.glyph:
      ctx.fillStyle = colour(c[i + 1], c[i + 2], c[i + 3]);
      ctx.fillText(String.fromCharCode(c[i + 6]), c[i + 4], c[i + 5]);
      i += 7;
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
  ctx.lineJoin = 'round';
  if (view.lastFrame) draw(view.lastFrame);
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
  ctx.fillText('コンソールの質問に答えると図が描かれます', view.size / 2, view.size / 2 - 14);
  ctx.fillText('The picture comes once the console\'s questions are answered', view.size / 2, view.size / 2 + 14);
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

// Forget the last run's picture and heading until the next run draws.
export function clearWindow() {
  view.lastFrame = null;
  title.textContent = defaultTitle;
  document.title = defaultDocumentTitle;
  canvas.setAttribute('aria-label', waitingName);
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
