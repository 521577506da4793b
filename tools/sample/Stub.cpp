// Body of every versioned stand-in of the sample workstation: only its version resource matters.
int main() { return 0; }
