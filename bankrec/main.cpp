// bankrec: the bank reconciliation program.
#include <cstdio>

int main(int, char**) {
    std::fprintf(stderr, "bankrec: the frame is not built yet\n");
    return 1;
}
