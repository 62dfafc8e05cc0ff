// A stand-in for the Shell's extensions/extension.js: the base class that
// gives an extension its metadata.
export class Extension {
    constructor(metadata) {
        this.metadata = metadata;
    }
}
