// The yardstick of a process's start-up: a C++ program that prints one line with iostream.
#include <iostream>

int main()
{
    std::cout << "one line" << std::endl;
}
