// A stand-in for the Shell's ui/main.js: its layout manager's signals.
export const layoutManager = {connect: () => 1, disconnect: () => {}};
