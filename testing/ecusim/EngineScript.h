#pragma once

// A car on the bench for the demonstration: the variable script of a
// petrol engine with a gas system (the synthetic configuration's live
// variables and diagnosis bytes), looping every kEngineLoop.
//
// Each loop: key on with the engine still, crank, start and idle on
// petrol while the reducer warms (waiting for its temperature), a blip to
// 2500 rpm once it is warm, the changeover delay with the gas valves open,
// then a drive on gas revving up and down between idle and 5500 rpm
// (engine speed, reducer pressure, injection times and lambda correction
// moving together), back to idle and the key off. Battery near 13.8 V
// while the engine runs. Now and then a fault: gas injector 3 open
// circuit for a while, the tank on its reserve near the end of the drive.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace vexar::ecusim {

inline constexpr std::chrono::milliseconds kEngineLoop{90000};
inline constexpr std::chrono::milliseconds kEngineStep{200};

// The engine's state at one moment, in physical units.
struct EngineState {
    double rpm = 0;             // Giri_Motore
    double pressureBar = 0;     // Pressione_Riduttore
    double gasTempC = 20;       // Temperatura_Gas
    double gasInjMs = 0;        // Tempo_Inj_Gas (and Tempo_Inj_Corretto before the factor)
    double batteryV = 12.4;     // Tensione_Batteria
    bool valvesOpen = false;    // Elettrovalvole_Gas
    bool reserve = false;       // Spia_Riserva
    std::uint8_t ecuState = 0;  // Stato_Centralina: 0 petrol, 1 waiting, 2 changeover, 7 gas
    double lambdaPct = 0;       // Correzione_Lambda
    double petrolInjMs = 0;     // Tempo_Inj_Benzina
    std::uint8_t sensorError = 0;      // Errore_Sensori
    std::uint16_t injectorErrors = 0;  // Errori_Iniettori, one bit per injector
};

// The state `at` from the start of a loop (0 <= at < kEngineLoop).
EngineState EngineAt(std::chrono::milliseconds at);

// The live variables' bytes 0 to 13 of the variable image for `state`,
// big-endian words, in the configuration's raw units.
std::vector<std::uint8_t> EncodeLiveBytes(const EngineState& state);

// The whole script: one step of the live bytes every kEngineStep, the
// diagnosis bytes (16 to 19) whenever they change, and the loop period.
std::string MakeEngineScript();

}  // namespace vexar::ecusim
