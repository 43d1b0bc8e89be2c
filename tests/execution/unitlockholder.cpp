// Test helper: takes the unit lock in a separate process, prints "held" and
// keeps it until its standard input closes (or it is killed).
//
//   unitlock_holder DIRECTORY [ADDRESS]
//
// Without an address it takes the lock of a unit of unknown address.

#include "execution/port/unitlock.h"

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

int main(int argc, char *argv[])
{
    if (argc != 2 && argc != 3)
        return 2;
    qv::UnitLock lock(argv[1], argc == 3 ? argv[2] : "");
    if (!lock.Lock(std::chrono::milliseconds(5000)))
        return 1;
    std::cout << "held" << std::endl;
    std::string line;
    while (std::getline(std::cin, line)) {
    }
    lock.Unlock();
    return 0;
}
