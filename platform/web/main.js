// The page's entry: its parts, then the program's first run.
import './test-hooks.js';
import './controls.js';
import './specimen.js';
import { startFromAddress } from './link.js';
import './offline.js';

// The first run: the experiment the address names, if any.
startFromAddress();
