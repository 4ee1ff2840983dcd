// A tiny library for the dynamic-library tests to load and call.
extern "C" __attribute__((visibility("default"))) int platformProbeValue()
{
    return 42;
}
