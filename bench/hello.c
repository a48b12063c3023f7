/* A process that only starts and exits, to compare start-up costs with. */
#include <stdio.h>

int main(void) {
  puts("hello, world");
  return 0;
}
