#pragma once

#include <QString>
#include <QStringList>

#include <functional>
#include <memory>

#include "Tools/Units/CurrencyService.h"

namespace Quickhalo::UnitsCommand {

enum ExitCode { converted = 0, noResult = 1, usage = 2 };

struct Outcome {
    int exitCode = noResult;
    QString out; // the result line, or the JSON object
    QString err; // the reason there is none
};

// `quickhalo --units [--json] PHRASE...`: the units tool's answer to the words joined by spaces.
// `done` is called once, on a later turn of the main loop when rates must be fetched; destroying
// the returned handle first cancels it. `currencies` is asked for only when the phrase needs rates.
std::unique_ptr<CurrencyService::Ticket> start(const QStringList& words,
    const std::function<CurrencyService&()>& currencies, std::function<void(const Outcome&)> done);

}
