// The page's entry: its parts, then the program's first run.
import './test-hooks.js';
import './controls.js';
import { start } from './program.js';

start();
