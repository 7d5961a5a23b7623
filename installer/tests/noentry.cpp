// A loadable library without the self-registration entry points.
extern "C" __attribute__((visibility("default"))) int TovelNoEntry()
{
    return 42;
}
