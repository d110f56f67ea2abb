// Placeholder until its owner writes this file.
