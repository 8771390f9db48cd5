#include <iostream>
#include <string>
#include <vector>

#include "CurveConvertCommand.h"

int main(int argc, char** argv)
{
    std::vector<std::string> args(argv + 1, argv + argc);
    return curveconvert::runCurveConvert(args, std::cout, std::cerr);
}
