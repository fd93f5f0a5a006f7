// The three opcode text tables of the HD6309 and the name lists of the operand texts.
#include "cpu6309/optable.h"

#include <cstddef>

namespace {

struct Row {
    const char* mnemonic;
    uint32_t form;
};

struct Def {
    uint8_t opcode;
    const char* mnemonic;
    uint32_t form;
};

constexpr OpPage09 Dense(const Row (&rows)[256]) {
    OpPage09 page{};
    for (size_t i = 0; i < 256; ++i)
        page[i] = {rows[i].mnemonic, rows[i].form, 0};
    return page;
}

// Every row not listed names no instruction.
template <size_t N> constexpr OpPage09 Sparse(const Def (&defs)[N]) {
    OpPage09 page{};
    for (auto& row : page)
        row = {"???", OPF_ILLEGAL, 0};
    for (const Def& d : defs)
        page[d.opcode] = {d.mnemonic, d.form, 0};
    return page;
}

// clang-format off
constexpr Row kPage0[256] = {
    // $00
    {"NEG", 5}, {"OIM", 18}, {"AIM", 18}, {"COM", 5}, {"LSR", 5}, {"EIM", 18}, {"ROR", 5},
    {"ASR", 5}, {"ASL", 5}, {"ROL", 5}, {"DEC", 5}, {"TIM", 18}, {"INC", 5}, {"TST", 5},
    {"JMP", 5}, {"CLR", 5},
    // $10
    {"???", 22}, {"???", 23}, {"NOP", 8}, {"SYNC", 8}, {"SEXW", 8}, {"???", 0}, {"LBRA", 13},
    {"LBSR", 13}, {"???", 0}, {"DAA", 8}, {"ORCC", 9}, {"???", 0}, {"ANDCC", 9}, {"SEX", 8},
    {"EXG", 1}, {"TFR", 1},
    // $20
    {"BRA", 12}, {"BRN", 12}, {"BHI", 12}, {"BLS", 12}, {"BHS", 12}, {"BLO", 12}, {"BNE", 12},
    {"BEQ", 12}, {"BVC", 12}, {"BVS", 12}, {"BPL", 12}, {"BMI", 12}, {"BGE", 12}, {"BLT", 12},
    {"BGT", 12}, {"BLE", 12},
    // $30
    {"LEAX", 6}, {"LEAY", 6}, {"LEAS", 6}, {"LEAU", 6}, {"PSHS", 3}, {"PULS", 3}, {"PSHU", 4},
    {"PULU", 4}, {"???", 0}, {"RTS", 8}, {"ABX", 8}, {"RTI", 8}, {"CWAI", 9}, {"MUL", 8},
    {"???", 0}, {"SWI", 8},
    // $40
    {"NEGA", 8}, {"???", 0}, {"???", 0}, {"COMA", 8}, {"LSRA", 8}, {"???", 0}, {"RORA", 8},
    {"ASRA", 8}, {"ASLA", 8}, {"ROLA", 8}, {"DECA", 8}, {"???", 0}, {"INCA", 8}, {"TSTA", 8},
    {"???", 0}, {"CLRA", 8},
    // $50
    {"NEGB", 8}, {"???", 0}, {"???", 0}, {"COMB", 8}, {"LSRB", 8}, {"???", 0}, {"RORB", 8},
    {"ASRB", 8}, {"ASLB", 8}, {"ROLB", 8}, {"DECB", 8}, {"???", 0}, {"INCB", 8}, {"TSTB", 8},
    {"???", 0}, {"CLRB", 8},
    // $60
    {"NEG", 6}, {"OIM", 19}, {"AIM", 19}, {"COM", 6}, {"LSR", 6}, {"EIM", 19}, {"ROR", 6},
    {"ASR", 6}, {"ASL", 6}, {"ROL", 6}, {"DEC", 6}, {"TIM", 19}, {"INC", 6}, {"TST", 6},
    {"JMP", 6}, {"CLR", 6},
    // $70
    {"NEG", 7}, {"OIM", 20}, {"AIM", 20}, {"COM", 7}, {"LSR", 7}, {"EIM", 20}, {"ROR", 7},
    {"ASR", 7}, {"ASL", 7}, {"ROL", 7}, {"DEC", 7}, {"TIM", 20}, {"INC", 7}, {"TST", 7},
    {"JMP", 7}, {"CLR", 7},
    // $80
    {"SUBA", 9}, {"CMPA", 9}, {"SBCA", 9}, {"SUBD", 11}, {"ANDA", 9}, {"BITA", 9}, {"LDA", 9},
    {"???", 0}, {"EORA", 9}, {"ADCA", 9}, {"ORA", 9}, {"ADDA", 9}, {"CMPX", 11}, {"BSR", 12},
    {"LDX", 11}, {"???", 0},
    // $90
    {"SUBA", 5}, {"CMPA", 5}, {"SBCA", 5}, {"SUBD", 5}, {"ANDA", 5}, {"BITA", 5}, {"LDA", 5},
    {"STA", 5}, {"EORA", 5}, {"ADCA", 5}, {"ORA", 5}, {"ADDA", 5}, {"CMPX", 5}, {"JSR", 5},
    {"LDX", 5}, {"STX", 5},
    // $A0
    {"SUBA", 6}, {"CMPA", 6}, {"SBCA", 6}, {"SUBD", 6}, {"ANDA", 6}, {"BITA", 6}, {"LDA", 6},
    {"STA", 6}, {"EORA", 6}, {"ADCA", 6}, {"ORA", 6}, {"ADDA", 6}, {"CMPX", 6}, {"JSR", 6},
    {"LDX", 6}, {"STX", 6},
    // $B0
    {"SUBA", 7}, {"CMPA", 7}, {"SBCA", 7}, {"SUBD", 7}, {"ANDA", 7}, {"BITA", 7}, {"LDA", 7},
    {"STA", 7}, {"EORA", 7}, {"ADCA", 7}, {"ORA", 7}, {"ADDA", 7}, {"CMPX", 7}, {"JSR", 7},
    {"LDX", 7}, {"STX", 7},
    // $C0
    {"SUBB", 9}, {"CMPB", 9}, {"SBCB", 9}, {"ADDD", 11}, {"ANDB", 9}, {"BITB", 9}, {"LDB", 9},
    {"???", 0}, {"EORB", 9}, {"ADCB", 9}, {"ORB", 9}, {"ADDB", 9}, {"LDD", 11}, {"???", 0},
    {"LDU", 11}, {"???", 0},
    // $D0
    {"SUBB", 5}, {"CMPB", 5}, {"SBCB", 5}, {"ADDD", 5}, {"ANDB", 5}, {"BITB", 5}, {"LDB", 5},
    {"STB", 5}, {"EORB", 5}, {"ADCB", 5}, {"ORB", 5}, {"ADDB", 5}, {"LDD", 5}, {"STD", 5},
    {"LDU", 5}, {"STU", 5},
    // $E0
    {"SUBB", 6}, {"CMPB", 6}, {"SBCB", 6}, {"ADDD", 6}, {"ANDB", 6}, {"BITB", 6}, {"LDB", 6},
    {"STB", 6}, {"EORB", 6}, {"ADCB", 6}, {"ORB", 6}, {"ADDB", 6}, {"LDD", 6}, {"STD", 6},
    {"LDU", 6}, {"STU", 6},
    // $F0
    {"SUBB", 7}, {"CMPB", 7}, {"SBCB", 7}, {"ADDD", 7}, {"ANDB", 7}, {"BITB", 7}, {"LDB", 7},
    {"STB", 7}, {"EORB", 7}, {"ADCB", 7}, {"ORB", 7}, {"ADDB", 7}, {"LDD", 7}, {"STD", 7},
    {"LDU", 7}, {"STU", 7},
};

constexpr Def kPage10[] = {
    {0x21, "LBRN", 13}, {0x22, "LBHI", 13}, {0x23, "LBLS", 13}, {0x24, "LBHS", 13},
    {0x25, "LBLO", 13}, {0x26, "LBNE", 13}, {0x27, "LBEQ", 13}, {0x28, "LBVC", 13},
    {0x29, "LBVS", 13}, {0x2A, "LBPL", 13}, {0x2B, "LBMI", 13}, {0x2C, "LBGE", 13},
    {0x2D, "LBLT", 13}, {0x2E, "LBGT", 13}, {0x2F, "LBLE", 13},
    {0x30, "ADDR", 1},  {0x31, "ADCR", 1},  {0x32, "SUBR", 1},  {0x33, "SBCR", 1},
    {0x34, "ANDR", 1},  {0x35, "ORR", 1},   {0x36, "EORR", 1},  {0x37, "CMPR", 1},
    {0x38, "PSHSW", 8}, {0x39, "PULSW", 8}, {0x3A, "PSHUW", 8}, {0x3B, "PULUW", 8},
    {0x3F, "SWI2", 8},
    {0x40, "NEGD", 8},  {0x43, "COMD", 8},  {0x44, "LSRD", 8},  {0x46, "RORD", 8},
    {0x47, "ASRD", 8},  {0x48, "ASLD", 8},  {0x49, "ROLD", 8},  {0x4A, "DECD", 8},
    {0x4C, "INCD", 8},  {0x4D, "TSTD", 8},  {0x4F, "CLRD", 8},
    {0x53, "COMW", 8},  {0x54, "LSRW", 8},  {0x56, "RORW", 8},  {0x59, "ROLW", 8},
    {0x5A, "DECW", 8},  {0x5C, "INCW", 8},  {0x5D, "TSTW", 8},  {0x5F, "CLRW", 8},
    {0x80, "SUBW", 11}, {0x81, "CMPW", 11}, {0x82, "SBCD", 11}, {0x83, "CMPD", 11},
    {0x84, "ANDD", 11}, {0x85, "BITD", 11}, {0x86, "LDW", 11},  {0x88, "EORD", 11},
    {0x89, "ADCD", 11}, {0x8A, "ORD", 11},  {0x8B, "ADDW", 11}, {0x8C, "CMPY", 11},
    {0x8E, "LDY", 11},
    {0x90, "SUBW", 5},  {0x91, "CMPW", 5},  {0x92, "SBCD", 5},  {0x93, "CMPD", 5},
    {0x94, "ANDD", 5},  {0x95, "BITD", 5},  {0x96, "LDW", 5},   {0x97, "STW", 5},
    {0x98, "EORD", 5},  {0x99, "ADCD", 5},  {0x9A, "ORD", 5},   {0x9B, "ADDW", 5},
    {0x9C, "CMPY", 5},  {0x9E, "LDY", 5},   {0x9F, "STY", 5},
    {0xA0, "SUBW", 6},  {0xA1, "CMPW", 6},  {0xA2, "SBCD", 6},  {0xA3, "CMPD", 6},
    {0xA4, "ANDD", 6},  {0xA5, "BITD", 6},  {0xA6, "LDW", 6},   {0xA7, "STW", 6},
    {0xA8, "EORD", 6},  {0xA9, "ADCD", 6},  {0xAA, "ORD", 6},   {0xAB, "ADDW", 6},
    {0xAC, "CMPY", 6},  {0xAE, "LDY", 6},   {0xAF, "STY", 6},
    {0xB0, "SUBW", 7},  {0xB1, "CMPW", 7},  {0xB2, "SBCD", 7},  {0xB3, "CMPD", 7},
    {0xB4, "ANDD", 7},  {0xB5, "BITD", 7},  {0xB6, "LDW", 7},   {0xB7, "STW", 7},
    {0xB8, "EORD", 7},  {0xB9, "ADCD", 7},  {0xBA, "ORD", 7},   {0xBB, "ADDW", 7},
    {0xBC, "CMPY", 7},  {0xBE, "LDY", 7},   {0xBF, "STY", 7},
    {0xCE, "LDS", 11},  {0xDC, "LDQ", 5},   {0xDD, "STQ", 5},   {0xDE, "LDS", 5},
    {0xDF, "STS", 5},   {0xEC, "LDQ", 6},   {0xED, "STQ", 6},   {0xEE, "LDS", 6},
    {0xEF, "STS", 6},   {0xFC, "LDQ", 7},   {0xFD, "STQ", 7},   {0xFE, "LDS", 7},
    {0xFF, "STS", 7},
};

constexpr Def kPage11[] = {
    {0x30, "BAND", 2},  {0x31, "BIAND", 2}, {0x32, "BOR", 2},   {0x33, "BIOR", 2},
    {0x34, "BEOR", 2},  {0x35, "BIEOR", 2}, {0x36, "LDBT", 2},  {0x37, "STBT", 21},
    {0x38, "TFM", 14},  {0x39, "TFM", 15},  {0x3A, "TFM", 16},  {0x3B, "TFM", 17},
    {0x3C, "BITMD", 9}, {0x3D, "LDMD", 9},  {0x3F, "SWI3", 8},
    {0x43, "COME", 8},  {0x4A, "DECE", 8},  {0x4C, "INCE", 8},  {0x4D, "TSTE", 8},
    {0x4F, "CLRE", 8},  {0x53, "COMF", 8},  {0x5A, "DECF", 8},  {0x5C, "INCF", 8},
    {0x5D, "TSTF", 8},  {0x5F, "CLRF", 8},
    {0x80, "SUBE", 9},  {0x81, "CMPE", 9},  {0x83, "CMPU", 11}, {0x86, "LDE", 9},
    {0x8B, "ADDE", 9},  {0x8C, "CMPS", 11}, {0x8D, "DIVD", 9},  {0x8E, "DIVQ", 11},
    {0x8F, "MULD", 11},
    {0x90, "SUBE", 5},  {0x91, "CMPE", 5},  {0x93, "CMPU", 5},  {0x96, "LDE", 5},
    {0x97, "STE", 5},   {0x9B, "ADDE", 5},  {0x9C, "CMPS", 5},  {0x9D, "DIVD", 5},
    {0x9E, "DIVQ", 5},  {0x9F, "MULD", 5},
    {0xA0, "SUBE", 6},  {0xA1, "CMPE", 6},  {0xA3, "CMPU", 6},  {0xA6, "LDE", 6},
    {0xA7, "STE", 6},   {0xAB, "ADDE", 6},  {0xAC, "CMPS", 6},  {0xAD, "DIVD", 6},
    {0xAE, "DIVQ", 6},  {0xAF, "MULD", 6},
    {0xB0, "SUBE", 7},  {0xB1, "CMPE", 7},  {0xB3, "CMPU", 7},  {0xB6, "LDE", 7},
    {0xB7, "STE", 7},   {0xBB, "ADDE", 7},  {0xBC, "CMPS", 7},  {0xBD, "DIVD", 7},
    {0xBE, "DIVQ", 7},  {0xBF, "MULD", 7},
    {0xC0, "SUBF", 9},  {0xC1, "CMPF", 9},  {0xC6, "LDF", 9},   {0xCB, "ADDF", 9},
    {0xD0, "SUBF", 5},  {0xD1, "CMPF", 5},  {0xD6, "LDF", 5},   {0xD7, "STF", 5},
    {0xDB, "ADDF", 5},
    {0xE0, "SUBF", 6},  {0xE1, "CMPF", 6},  {0xE6, "LDF", 6},   {0xE7, "STF", 6},
    {0xEB, "ADDF", 6},
    {0xF0, "SUBF", 7},  {0xF1, "CMPF", 7},  {0xF6, "LDF", 7},   {0xF7, "STF", 7},
    {0xFB, "ADDF", 7},
};
// clang-format on

} // namespace

constinit const OpPage09 g_opPage0 = Dense(kPage0);
constinit const OpPage09 g_opPage10 = Sparse(kPage10);
constinit const OpPage09 g_opPage11 = Sparse(kPage11);

const char* const g_regPairNames09[16] = {"D", "X", "Y",  "U",  "S", "PC", "W", "V",
                                          "A", "B", "CC", "DP", "?", "?",  "E", "F"};
const char* const g_indexRegNames09[4] = {"X", "Y", "U", "S"};
const char* const g_regListNamesS09[8] = {"CC", "A", "B", "DP", "X", "Y", "U", "PC"};
const char* const g_regListNamesU09[8] = {"CC", "A", "B", "DP", "X", "Y", "S", "PC"};
const char* const g_tfmRegNames09[5] = {"D", "X", "Y", "U", "S"};
const char* const g_bitRegNames09[4] = {"CC", "A", "B", "N"};
