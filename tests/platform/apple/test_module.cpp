// A module with one exported function, loaded by the bundle tests.
extern "C" __attribute__((visibility("default"))) int symacTestAnswer() { return 42; }
extern "C" int symacHiddenFunction() { return 7; }
