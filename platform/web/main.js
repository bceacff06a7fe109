// The page's entry: its parts, then the program's first run.
import './test-hooks.js';
import './controls.js';
import { startFromAddress } from './link.js';
import './offline.js';

// The program leaves its main for the page's events by throwing 'unwind'
// once the window is open; that is no error.
window.addEventListener('unhandledrejection', (e) => {
  if (e.reason === 'unwind') e.preventDefault();
});

// The first run: the experiment the address names, if any.
startFromAddress();
