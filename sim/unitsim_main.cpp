// quorvik-unitsim: the simulated diagnostics unit behind a TCP port, for the
// bench program (address tcp://HOST:PORT), qortool and the tests.
//
//   quorvik-unitsim --listen HOST:PORT [--board FILE]
//
// Prints the address it listens on (port 0 takes a free port) and serves one
// host at a time until it is stopped (SIGTERM, SIGINT).

#include "board.h"
#include "unit.h"
#include "unitserver.h"

#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

namespace {

qv::sim::UnitServer *g_server = nullptr;

void OnSignal(int)
{
    if (g_server != nullptr)
        g_server->Stop();
}

int Usage(const std::string &problem)
{
    if (!problem.empty())
        std::cerr << "quorvik-unitsim: " << problem << "\n";
    std::cerr << "Использование: quorvik-unitsim --listen УЗЕЛ:ПОРТ [--board ФАЙЛ]\n"
                 "  --listen  адрес, на котором ждать программу (порт 0 - любой свободный)\n"
                 "  --board   файл описания платы и неисправностей связи (INI)\n";
    return 2;
}

} // namespace

int main(int argc, char *argv[])
{
    std::string listen;
    std::string boardFile;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--listen" || arg == "--board") && i + 1 < argc)
            (arg == "--listen" ? listen : boardFile) = argv[++i];
        else if (arg == "--help" || arg == "-h")
            return Usage("");
        else
            return Usage("непонятный аргумент \"" + arg + "\"");
    }
    std::string host;
    int port = 0;
    if (!qv::sim::SplitHostPort(listen, &host, &port))
        return Usage(listen.empty() ? "не задан --listen" : "адрес должен быть вида УЗЕЛ:ПОРТ");

    qv::sim::Board board = qv::sim::DefaultBoard();
    if (!boardFile.empty()) {
        std::string error;
        auto loaded = qv::sim::LoadBoard(boardFile, &error);
        if (!loaded) {
            std::cerr << "quorvik-unitsim: " << error << "\n";
            return 2;
        }
        board = std::move(*loaded);
    }

    qv::sim::SimulatedUnit unit(std::move(board));
    qv::sim::UnitServer server(unit);
    std::string error;
    if (!server.Listen(host, port, &error)) {
        std::cerr << "quorvik-unitsim: не удалось слушать " << listen << ": " << error << "\n";
        return 1;
    }
    g_server = &server;
    std::signal(SIGTERM, OnSignal);
    std::signal(SIGINT, OnSignal);
    std::cout << "quorvik-unitsim: tcp://" << server.Address() << std::endl;
    server.Run();
    g_server = nullptr;
    return 0;
}
