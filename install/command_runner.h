#pragma once
// Runs a command block at once on the calling thread and returns when it is done: the
// wizard's RunCommand, which hands the block straight to the command interpreter (it works
// in silent mode too). Win32-free.
#include "config/command_block.h"

class ICommandRunner {
public:
    virtual ~ICommandRunner() = default;
    // True when the command succeeded.
    virtual bool RunCommand(const CommandBlock& block) = 0;
};
