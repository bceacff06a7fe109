// The excitation chosen on the page, as `forced-vibration --excitation KIND`
// chooses it: a control beside the answer box, read by every run the page
// starts (a specimen is always forced by a force).
const control = document.getElementById('excitation');
const kinds = ['force', 'base', 'unbalance'];

// The program's arguments for the chosen excitation; none for a force.
export function excitationArgs() {
  return control.value === 'force' ? [] : ['--excitation', control.value];
}

// The examples whose answers are not a force's, and what they mean; the
// list of ready-made experiments and an #example= link start them so.
const exampleKinds = { 'base-isolation': 'base', unbalance: 'unbalance' };

// The excitation the ready-made experiment's answers are meant for.
export function exampleExcitation(name) {
  return exampleKinds[name] || 'force';
}

// The chosen excitation's name.
export function chosenExcitation() {
  return control.value;
}

// Choose an excitation by name; false, the choice untouched, for an unknown one.
export function chooseExcitation(kind) {
  if (!kinds.includes(kind)) return false;
  control.value = kind;
  return true;
}
