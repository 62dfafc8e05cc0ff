// A stand-in for Clutter: the button masks of the pointer's state.
export default {ModifierType: {BUTTON1_MASK: 1 << 8, BUTTON2_MASK: 1 << 9, BUTTON3_MASK: 1 << 10}};
