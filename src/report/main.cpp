#include <iostream>

#include "report/report_output.h"

int main(int argc, char** argv) { return runReport(argc, argv, std::cout, std::cerr); }
