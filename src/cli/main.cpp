// zvx7246ctl: bus and device commands for bench scripts.
#include <cstdio>

int main()
{
    std::puts("zvx7246ctl: not built yet.");
    return 0;
}
