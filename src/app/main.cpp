// zvx7246labTool: the bench program for the ZVX 7246 evaluation board.
#include <cstdio>

int main()
{
    std::puts("zvx7246labTool: the main window is not built yet.");
    return 0;
}
