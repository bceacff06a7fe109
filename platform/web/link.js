// Links that carry an experiment. The page's address may end in
//
//   #answers=TEXT   an answer file's text, URL-encoded (a line feed is %0A)
//   #example=NAME   one of the ready-made experiments (examples/NAME)
//   #specimen=CODE  a specimen (forced-vibration --specimen CODE), optionally
//                   followed by &answers=TEXT, its dialog's answers
//
// The first two may end in &excitation=KIND (base or unbalance, as
// forced-vibration --excitation KIND); without it the link is a force's.
//
// and the run starts as `forced-vibration FILE` does on the desktop: the
// file's answers shown after their questions as if typed, then the student
// types on. Copy link makes such an address for the run on show.
import { lifecycle, onMove } from './lifecycle.js';
import { setHint, show } from './console-panel.js';
import { run, start } from './program.js';
import { specimenLink, startSpecimen } from './specimen.js';
import { chooseExcitation } from './excitation.js';

// The most text a link may carry after '#answers=', URL-encoded as it
// stands in the address: an answer file is a few short lines, and a longer
// address is not something to hand out.
export const maxLinkText = 4096;
// The link's answers in the program's files, given as its answer file.
const answerPath = '/link-answers';
// An experiment's name: letters, digits and . _ - (no path).
const exampleName = /^[A-Za-z0-9][A-Za-z0-9._-]{0,63}$/;

// Why a fragment is not used, one line each.
const refusals = {
  unknown: 'このリンクの「#」から後ろは読めないので使いません。 / The part of this link after "#" is not understood and is not used.',
  long: 'このリンクの回答は 4 KB を超えるので使いません。 / The answers in this link are longer than 4 KB and are not used.',
  example: 'このリンクの実験は用意されていないので使いません。 / The experiment this link names is not one of the ready-made ones and is not used.',
};

// What an address's fragment asks for: {} for nothing, {answers: text},
// {example: name}, or {refused: why}, a key of refusals.
export function readFragment(hash) {
  if (hash === '' || hash === '#') return {};
  const specimen = /^#specimen=([^&]*)(?:&answers=(.*))?$/s.exec(hash);
  if (specimen) {
    const answers = specimen[2] === undefined ? {} : readFragment('#answers=' + specimen[2]);
    if (answers.refused) return answers;
    try {
      return { specimen: decodeURIComponent(specimen[1]), ...answers };
    } catch (e) {
      return { refused: 'unknown' };
    }
  }
  // The excitation's name stands last; an answer's own '&' is %26.
  const excited = /^(#(?:answers|example)=.*)&excitation=([a-z]+)$/s.exec(hash);
  if (excited) {
    const rest = readFragment(excited[1]);
    return rest.refused ? rest : { ...rest, excitation: excited[2] };
  }
  const asked = /^#(answers|example)=(.*)$/s.exec(hash);
  if (!asked) return { refused: 'unknown' };
  if (asked[2].length > maxLinkText) return { refused: 'long' };
  let text;
  try {
    text = decodeURIComponent(asked[2]);
  } catch (e) {
    return { refused: 'unknown' };  // a broken %-escape
  }
  if (asked[1] === 'example') return exampleName.test(text) ? { example: text } : { refused: 'example' };
  return { answers: text };
}

// The address that starts a run with these answers and this excitation: the
// page's own, without its fragment.
export function linkFor(address, answers, excitation = 'force') {
  const kind = excitation === 'force' ? '' : '&excitation=' + excitation;
  return address.split('#')[0] + '#answers=' + encodeURIComponent(answers) + kind;
}

// The refusal's one line in the panel; the dialog then starts as usual.
function refuse(why) {
  show(refusals[why] + '\n', 'err');
}

// Start a run of the experiment the page's address names, or the plain
// dialog; the answers reach the program as a file in its files, given on its
// command line.
export function startFromAddress() {
  const asked = readFragment(location.hash);
  // The link says its excitation, a force when it says none.
  if (!asked.refused && asked.specimen === undefined && !chooseExcitation(asked.excitation || 'force')) {
    refuse('unknown');
  }
  if (asked.specimen !== undefined) {
    startSpecimen(asked.specimen, asked.answers);
  } else if (asked.answers !== undefined) {
    start([answerPath], (FS) => FS.writeFile(answerPath, asked.answers));
  } else if (asked.example !== undefined) {
    // The program's own files say which experiments it has. An unknown one
    // leaves the answer file empty: the dialog as without one.
    start([answerPath], (FS) => {
      const source = '/examples/' + asked.example;
      const known = FS.analyzePath(source).exists;
      if (!known) refuse('example');
      FS.writeFile(answerPath, known ? FS.readFile(source) : '');
    });
  } else {
    start([], asked.refused ? () => refuse(asked.refused) : null);
  }
}

// A link pasted over the address of the open page changes only its
// fragment: the page does not load again, so the new run starts here.
window.addEventListener('hashchange', startFromAddress);

// Copy link: the run's answers, as the program's snapshot says them, so that
// the link gives the parameters and the start it holds now whichever of the
// dialogs (m, g, j) set them.
const button = document.querySelector('[data-action="copy-link"]');

onMove((to) => { button.disabled = to !== 'window'; });

button.addEventListener('click', async () => {
  if (!run.snapshot || lifecycle.state !== 'window' || run.busy) return;
  const link = run.snapshot.specimen
    ? specimenLink(location.href, run.snapshot.specimen.code, run.snapshot.restartAnswers)
    : linkFor(location.href, run.snapshot.restartAnswers, run.snapshot.excitation);
  try {
    await navigator.clipboard.writeText(link);
    setHint('リンクをコピーしました / Link copied: ' + link);
  } catch (e) {
    // No clipboard (an old browser, or no permission): the link to copy by hand.
    setHint('コピーできませんでした。このリンクを選んでコピーしてください / Could not copy; select and copy this link: ' + link);
  }
});
