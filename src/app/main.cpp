// kv7200: the KV7200 device manager.
#include "app/Program.h"

int main(int argc, char** argv) { return app::RunProgram(argc, argv); }
