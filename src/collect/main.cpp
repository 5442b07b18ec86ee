#include "collect/collect_main.h"

int main(int argc, char** argv) {
  return runCollect(argc, argv);
}
