// The program's life on the page, as one state machine.
//
//   loading  the program's module is being fetched and started
//   dialog   the program runs its console dialog (the first one, or that of
//            m, g or j) and the window takes no keys
//   window   the window is open and takes keys
//   ended    the program has left (Escape, or an internal error)
//   failed   the program could not be loaded at all
//
// A fresh run (Start again, Run experiment) goes to 'loading' from any state.

// The moves each state allows, besides the one back to 'loading'.
const moves = {
  loading: ['dialog', 'failed'],
  dialog: ['window', 'ended', 'failed'],
  window: ['dialog', 'ended'],
  ended: [],
  failed: [],
};

// Who moves it: the program runner (program.js). Everyone else listens.
export const lifecycle = new EventTarget();
lifecycle.state = 'loading';

// Move to state next; a move the table does not allow is a fault of the page,
// reported and refused.
export function moveTo(next) {
  const from = lifecycle.state;
  if (next === from) return;
  if (next !== 'loading' && !moves[from].includes(next)) {
    console.error(`page: no move from '${from}' to '${next}'`);
    return;
  }
  lifecycle.state = next;
  lifecycle.dispatchEvent(new CustomEvent('change', { detail: { from, to: next } }));
}

// Call fn(to, from) on every move.
export function onMove(fn) {
  lifecycle.addEventListener('change', (e) => fn(e.detail.to, e.detail.from));
}
