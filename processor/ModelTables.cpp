#include "ModelTables.h"

namespace datafiles
{

// The menu label is the brand, one space and the file name, built by literal
// concatenation so the two columns cannot drift apart.
#define HEADPHONE(brand, name) { brand, name, brand " " name }

const HeadphoneModel headphoneModelTable[headphoneModelCount] = {
    HEADPHONE("1MORE", "MK801"), // 0
    HEADPHONE("Abyss", "AB-1266 Phi CC"), // 1
    HEADPHONE("Abyss", "AB-1266 Phi"), // 2
    HEADPHONE("Abyss", "Diana Phi"), // 3
    HEADPHONE("Abyss", "Diana V2"), // 4
    HEADPHONE("Acoustic Research ", "AR-H1"), // 5
    HEADPHONE("AKG", "K240 Studio"), // 6
    HEADPHONE("AKG", "K371"), // 7
    HEADPHONE("AKG", "K52"), // 8
    HEADPHONE("AKG", "K612 Pro"), // 9
    HEADPHONE("AKG", "K701"), // 10
    HEADPHONE("AKG", "K702"), // 11
    HEADPHONE("AKG", "K712 Pro"), // 12
    HEADPHONE("AKG", "K72"), // 13
    HEADPHONE("AKG", "K812"), // 14
    HEADPHONE("AKG", "K872 Pro"), // 15
    HEADPHONE("AKG", "K92"), // 16
    HEADPHONE("Apple", "AirPods Max"), // 17
    HEADPHONE("ASTRO", "A40 TR"), // 18
    HEADPHONE("Audeze", "LCD-1"), // 19
    HEADPHONE("Audeze", "LCD-2 (Rosewood)"), // 20
    HEADPHONE("Audeze", "LCD-2 Classic"), // 21
    HEADPHONE("Audeze", "LCD-2 Closed Back"), // 22
    HEADPHONE("Audeze", "LCD-24"), // 23
    HEADPHONE("Audeze", "LCD-3"), // 24
    HEADPHONE("Audeze", "LCD-4"), // 25
    HEADPHONE("Audeze", "LCD-GX"), // 26
    HEADPHONE("Audeze", "LCD-MX4"), // 27
    HEADPHONE("Audeze", "LCD-X (Fazor)"), // 28
    HEADPHONE("Audeze", "LCD-XC (Fazor)"), // 29
    HEADPHONE("Audeze", "Mobius (Ballistics preset)"), // 30
    HEADPHONE("Audeze", "Mobius (Default preset)"), // 31
    HEADPHONE("Audeze", "Mobius (Flat preset)"), // 32
    HEADPHONE("Audeze", "Mobius (Footsteps preset)"), // 33
    HEADPHONE("Audeze", "Mobius (Music preset)"), // 34
    HEADPHONE("Audeze", "Mobius (Racing preset)"), // 35
    HEADPHONE("Audeze", "Mobius (RPG preset)"), // 36
    HEADPHONE("Audeze", "Sine DX"), // 37
    HEADPHONE("Audio Technica", "A1000Z"), // 38
    HEADPHONE("Audio Technica", "A2000X"), // 39
    HEADPHONE("Audio Technica", "A2000Z"), // 40
    HEADPHONE("Audio Technica", "A900X"), // 41
    HEADPHONE("Audio Technica", "A990Z"), // 42
    HEADPHONE("Audio Technica", "AD1000X"), // 43
    HEADPHONE("Audio Technica", "AD500X"), // 44
    HEADPHONE("Audio Technica", "AD700X"), // 45
    HEADPHONE("Audio Technica", "AD900X"), // 46
    HEADPHONE("Audio Technica", "ADX5000 (A2000Z AD2000X)"), // 47
    HEADPHONE("Audio Technica", "ADX5000 (Dekoni fensheep)"), // 48
    HEADPHONE("Audio Technica", "ADX5000"), // 49
    HEADPHONE("Audio Technica", "AWAS"), // 50
    HEADPHONE("Audio Technica", "AWKT"), // 51
    HEADPHONE("Audio Technica", "EW9"), // 52
    HEADPHONE("Audio Technica", "G1"), // 53
    HEADPHONE("Audio Technica", "L5000"), // 54
    HEADPHONE("Audio Technica", "M40x"), // 55
    HEADPHONE("Audio Technica", "M50x"), // 56
    HEADPHONE("Audio Technica", "M50x S2"), // 57
    HEADPHONE("Audio Technica", "M50xBT"), // 58
    HEADPHONE("Audio Technica", "M70x"), // 59
    HEADPHONE("Audio Technica", "MSR7b"), // 60
    HEADPHONE("Audio Technica", "R70x"), // 61
    HEADPHONE("AudioQuest", "NightHawk"), // 62
    HEADPHONE("B&O", "BeoPlay H7"), // 63
    HEADPHONE("B&W", "PX"), // 64
    HEADPHONE("Beyerdynamic", "Amiron Home"), // 65
    HEADPHONE("Beyerdynamic", "Amiron Home S2"), // 66
    HEADPHONE("Beyerdynamic", "Aventho Wireless"), // 67
    HEADPHONE("Beyerdynamic", "DT1350"), // 68
    HEADPHONE("Beyerdynamic", "DT1770 Pro"), // 69
    HEADPHONE("Beyerdynamic", "DT1990 Pro"), // 70
    HEADPHONE("Beyerdynamic", "DT250 (80)"), // 71
    HEADPHONE("Beyerdynamic", "DT770 Pro (250)"), // 72
    HEADPHONE("Beyerdynamic", "DT770 Pro (80)"), // 73
    HEADPHONE("Beyerdynamic", "DT860"), // 74
    HEADPHONE("Beyerdynamic", "DT880 Pro (32)"), // 75
    HEADPHONE("Beyerdynamic", "DT990 Pro (250)"), // 76
    HEADPHONE("Beyerdynamic", "T1 (3rd Gen)"), // 77
    HEADPHONE("Beyerdynamic", "T5 (3rd Gen)"), // 78
    HEADPHONE("Beyerdynamic", "T70"), // 79
    HEADPHONE("Beyerdynamic", "TYGR 300 R"), // 80
    HEADPHONE("Beyerdynamic", "T5p (1st Gen)"), // 81
    HEADPHONE("BLON", "B20"), // 82
    HEADPHONE("Bose", "700"), // 83
    HEADPHONE("Bose", "QC35 II (Active)"), // 84
    HEADPHONE("Bose", "QC35 II (Passive)"), // 85
    HEADPHONE("Campfire", "Cascade"), // 86
    HEADPHONE("DCA", "Aeon 2 Closed"), // 87
    HEADPHONE("DCA", "Aeon 2 Noire"), // 88
    HEADPHONE("DCA", "Aeon 2 Open"), // 89
    HEADPHONE("DCA", "Ether 2"), // 90
    HEADPHONE("DCA", "Ether C Flow 1.1"), // 91
    HEADPHONE("DCA", "Ether Flow 1.1"), // 92
    HEADPHONE("DCA", "Voce"), // 93
    HEADPHONE("Denon", "AH-D5000"), // 94
    HEADPHONE("Denon", "AH-D5200"), // 95
    HEADPHONE("Denon", "AH-D7200"), // 96
    HEADPHONE("Denon", "AH-D9200"), // 97
    HEADPHONE("Drop + Sennheiser", "PC38X"), // 98
    HEADPHONE("Drop + THX", "Panda"), // 99
    HEADPHONE("E-MU", "Teak"), // 100
    HEADPHONE("E-MU", "Walnut"), // 101
    HEADPHONE("FiiO", "EH3"), // 102
    HEADPHONE("Final Audio", "D8000"), // 103
    HEADPHONE("Final Audio", "D8000 Pro"), // 104
    HEADPHONE("Final Audio", "Sonorous VIII"), // 105
    HEADPHONE("Final Audio", "Sonorous X"), // 106
    HEADPHONE("Fischer", "Oldskool RPM (ZnC LE)"), // 107
    HEADPHONE("Focal", "Celestee"), // 108
    HEADPHONE("Focal", "Clear (Mg pads)"), // 109
    HEADPHONE("Focal", "Clear"), // 110
    HEADPHONE("Focal", "Clear Mg"), // 111
    HEADPHONE("Focal", "Elear"), // 112
    HEADPHONE("Focal", "Elear S2"), // 113
    HEADPHONE("Focal", "Listen Professional"), // 114
    HEADPHONE("Focal", "Radiance"), // 115
    HEADPHONE("Focal", "Stellia"), // 116
    HEADPHONE("Focal", "Utopia"), // 117
    HEADPHONE("Focal", "Utopia S2"), // 118
    HEADPHONE("Focal", "Utopia S3"), // 119
    HEADPHONE("Fostex", "TH500 (worn pads)"), // 120
    HEADPHONE("Fostex", "TH610"), // 121
    HEADPHONE("Fostex", "TH7"), // 122
    HEADPHONE("Fostex", "TH900"), // 123
    HEADPHONE("Fostex", "TH909"), // 124
    HEADPHONE("Fostex", "TR-80"), // 125
    HEADPHONE("Gold Planar", "GL2000 (double) (leather)"), // 126
    HEADPHONE("Gold Planar", "GL2000 (double) (perf hybrid)"), // 127
    HEADPHONE("Gold Planar", "GL2000 (leather)"), // 128
    HEADPHONE("Gold Planar", "GL2000 (perf hybrid)"), // 129
    HEADPHONE("Gold Planar", "GL850"), // 130
    HEADPHONE("Grado", "GW100"), // 131
    HEADPHONE("Grado", "PS500e"), // 132
    HEADPHONE("Grado", "SR125e"), // 133
    HEADPHONE("Grado", "SR325e"), // 134
    HEADPHONE("Grado", "SR60e"), // 135
    HEADPHONE("Grado", "SR80e"), // 136
    HEADPHONE("Grado", "The Hemp Headphone"), // 137
    HEADPHONE("Harman Kardon", "FLY ANC"), // 138
    HEADPHONE("HarmonicDyne", "Helios"), // 139
    HEADPHONE("HarmonicDyne", "Zeus"), // 140
    HEADPHONE("HEDDphone", "HEDDphone"), // 141
    HEADPHONE("HEDDphone", "HEDDphone S2"), // 142
    HEADPHONE("Hifiman", "Ananda"), // 143
    HEADPHONE("Hifiman", "Arya"), // 144
    HEADPHONE("Hifiman", "Deva (Passive)"), // 145
    HEADPHONE("Hifiman", "Edition X V2"), // 146
    HEADPHONE("Hifiman", "HE1000 V2"), // 147
    HEADPHONE("Hifiman", "HE1000se"), // 148
    HEADPHONE("Hifiman", "HE400i (2016)"), // 149
    HEADPHONE("Hifiman", "HE400i (2020)"), // 150
    HEADPHONE("Hifiman", "HE560"), // 151
    HEADPHONE("Hifiman", "HE560 V1 S2"), // 152
    HEADPHONE("Hifiman", "HE5se"), // 153
    HEADPHONE("Hifiman", "HE6 (6-screw) (Velour)"), // 154
    HEADPHONE("Hifiman", "HE6se"), // 155
    HEADPHONE("Hifiman", "Jade II"), // 156
    HEADPHONE("Hifiman", "Shangri-La Jr"), // 157
    HEADPHONE("Hifiman", "Sundara"), // 158
    HEADPHONE("Hifiman", "Susvara"), // 159
    HEADPHONE("iBasso", "SR1"), // 160
    HEADPHONE("iBasso", "SR2"), // 161
    HEADPHONE("Kennerton", "Odin (Bog Oak)"), // 162
    HEADPHONE("Kennerton", "Thror Bog Oak"), // 163
    HEADPHONE("Klipsch Heritage", "HP-3"), // 164
    HEADPHONE("Koss", "KSC75"), // 165
    HEADPHONE("Koss", "Portapro"), // 166
    HEADPHONE("Koss", "PRO DJ100"), // 167
    HEADPHONE("Koss", "Pro4S"), // 168
    HEADPHONE("Koss", "SP540"), // 169
    HEADPHONE("LB-acoustics", "MYSPHERE 3.2"), // 170
    HEADPHONE("Logitech", "G PRO X"), // 171
    HEADPHONE("Logitech", "G431"), // 172
    HEADPHONE("Logitech", "G933s"), // 173
    HEADPHONE("Massdrop x AKG", "K7XX"), // 174
    HEADPHONE("Massdrop x Koss", "ESP95X"), // 175
    HEADPHONE("Master & Dynamic", "MH40"), // 176
    HEADPHONE("Meze", "99 Classic"), // 177
    HEADPHONE("Meze", "99 Neo"), // 178
    HEADPHONE("Meze", "Empyrean"), // 179
    HEADPHONE("Meze", "Empyrean S2"), // 180
    HEADPHONE("MrSpeakers", "Aeon Flow Closed (Medium damping)"), // 181
    HEADPHONE("MrSpeakers", "Aeon Flow Closed (Minimum damping)"), // 182
    HEADPHONE("MrSpeakers", "Aeon Flow Open"), // 183
    HEADPHONE("MrSpeakers", "Ether C"), // 184
    HEADPHONE("Nectar", "Hive"), // 185
    HEADPHONE("Neumann", "NDH 20"), // 186
    HEADPHONE("Oppo", "PM-3"), // 187
    HEADPHONE("Philips", "SHP9500"), // 188
    HEADPHONE("Pioneer", "Monitor 10"), // 189
    HEADPHONE("Pioneer", "SE-2P"), // 190
    HEADPHONE("Pioneer", "SE-Master1"), // 191
    HEADPHONE("Precide", "Ergo 2"), // 192
    HEADPHONE("Quad", "ERA-1"), // 193
    HEADPHONE("RAAL-requisite", "SR1a (ear contact)"), // 194
    HEADPHONE("RAAL-requisite", "SR1a (no ear contact)"), // 195
    HEADPHONE("Rosson", "RAD-0"), // 196
    HEADPHONE("Sansui", "SS-10"), // 197
    HEADPHONE("Sennheiser", "Amperior"), // 198
    HEADPHONE("Sennheiser", "HD25 Aluminium"), // 199
    HEADPHONE("Sennheiser", "HD25 Plus"), // 200
    HEADPHONE("Sennheiser", "HD400S"), // 201
    HEADPHONE("Sennheiser", "HD559"), // 202
    HEADPHONE("Sennheiser", "HD560S"), // 203
    HEADPHONE("Sennheiser", "HD579"), // 204
    HEADPHONE("Sennheiser", "HD599"), // 205
    HEADPHONE("Sennheiser", "HD600"), // 206
    HEADPHONE("Sennheiser", "HD600 S1 (worn pads)"), // 207
    HEADPHONE("Sennheiser", "HD600 S2"), // 208
    HEADPHONE("Sennheiser", "HD600 S3 (2020 fresh pads)"), // 209
    HEADPHONE("Sennheiser", "HD600 S3 (worn pads)"), // 210
    HEADPHONE("Sennheiser", "HD650"), // 211
    HEADPHONE("Sennheiser", "HD650 S1 (worn pads)"), // 212
    HEADPHONE("Sennheiser", "HD650 S2 (2020 fresh pads)"), // 213
    HEADPHONE("Sennheiser", "HD650 S2 (2020 worn pads)"), // 214
    HEADPHONE("Sennheiser", "HD660S"), // 215
    HEADPHONE("Sennheiser", "HD800 S2"), // 216
    HEADPHONE("Sennheiser", "HD800 SDR"), // 217
    HEADPHONE("Sennheiser", "HD800S"), // 218
    HEADPHONE("Sennheiser", "HD820"), // 219
    HEADPHONE("Sennheiser", "HE-1 (fresh pads)"), // 220
    HEADPHONE("Sennheiser", "HE-1"), // 221
    HEADPHONE("Sennheiser", "Momentum 2 Wireless"), // 222
    HEADPHONE("Sennheiser", "Momentum 3 Wireless"), // 223
    HEADPHONE("Shure", "Aonic 50"), // 224
    HEADPHONE("Shure", "SRH1540"), // 225
    HEADPHONE("Shure", "SRH240A"), // 226
    HEADPHONE("Shure", "SRH440"), // 227
    HEADPHONE("Shure", "SRH840"), // 228
    HEADPHONE("Shure", "SRH840 S2"), // 229
    HEADPHONE("Sony", "MDR-1AM2"), // 230
    HEADPHONE("Sony", "MDR-7506"), // 231
    HEADPHONE("Sony", "MDR-7510"), // 232
    HEADPHONE("Sony", "MDR-CD380"), // 233
    HEADPHONE("Sony", "MDR-CD900ST (stPad microfiber)"), // 234
    HEADPHONE("Sony", "MDR-CD900ST (stPad2)"), // 235
    HEADPHONE("Sony", "MDR-CD900ST"), // 236
    HEADPHONE("Sony", "MDR-M1ST"), // 237
    HEADPHONE("Sony", "MDR-MA900"), // 238
    HEADPHONE("Sony", "MDR-V6"), // 239
    HEADPHONE("Sony", "MDR-Z1R"), // 240
    HEADPHONE("Sony", "MDR-Z7M2"), // 241
    HEADPHONE("Sony", "WH-1000XM4"), // 242
    HEADPHONE("Spirit Torino", "Radiante"), // 243
    HEADPHONE("Stax", "SR-007 Mk2.5"), // 244
    HEADPHONE("Stax", "SR-009"), // 245
    HEADPHONE("Stax", "SR-009S"), // 246
    HEADPHONE("Stax", "SR-3"), // 247
    HEADPHONE("Stax", "SR-40"), // 248
    HEADPHONE("Stax", "SR-404"), // 249
    HEADPHONE("Stax", "SR-404 Limited"), // 250
    HEADPHONE("Stax", "SR-4070"), // 251
    HEADPHONE("Stax", "SR-84"), // 252
    HEADPHONE("Stax", "SR-L300"), // 253
    HEADPHONE("Stax", "SR-L300 S2"), // 254
    HEADPHONE("Stax", "SR-L300 Limited"), // 255
    HEADPHONE("Stax", "SR-L500"), // 256
    HEADPHONE("Stax", "SR-L500 S2"), // 257
    HEADPHONE("Stax", "SR-L700"), // 258
    HEADPHONE("Stax", "SR-L700 S1 (fresh pads)"), // 259
    HEADPHONE("Stax", "SR-L700 S2"), // 260
    HEADPHONE("Stax", "SR-Lambda Pro"), // 261
    HEADPHONE("Stax", "SR-X Mk2"), // 262
    HEADPHONE("V-MODA", "Crossfade 2 Wireless"), // 263
    HEADPHONE("V-MODA", "Crossfade LP2"), // 264
    HEADPHONE("Warwick", "Sonoma Model One (M1)"), // 265
    HEADPHONE("Yamaha", "HP-300"), // 266
    HEADPHONE("Yamaha", "HP-50S"), // 267
    HEADPHONE("ZMF", "Aeolus (perf Universe suede)"), // 268
    HEADPHONE("ZMF", "Atticus (Eikon suede)"), // 269
    HEADPHONE("ZMF", "Auteur (perflamb)"), // 270
    HEADPHONE("ZMF", "Eikon (Eikon lambskin)"), // 271
    HEADPHONE("ZMF", "Verite (BE2)"), // 272
    HEADPHONE("ZMF", "Verite (Verite)"), // 273
    HEADPHONE("ZMF", "Verite Closed (Auteur lambskin)"), // 274
    HEADPHONE("ZMF", "Verite Closed (Universe hybrid)"), // 275
};

#undef HEADPHONE

const float headphoneModelLevelOffsets[headphoneModelCount] = {};

const char* const monitorFileTable[monitorTableCount] = {
    "Avantone_Pro_Active_Mixcube.mos",
    "Kali_Audio_LP6.mos",
    "Klipsch Pro-Media 2-1_THX.mos",
    "Mackie_CR5-XBT.mos",
    "Presonus_Eris_E3.5_BT.mos",
    "Ideal_Monitor.mos",
};

const char* const monitorMenuTable[monitorTableCount] = {
    "Avantone Pro_Active Mixcube",
    "Kali Audio LP6",
    "Klipsch Pro_Media 2.1 THX",
    "Mackie CR5 XBT",
    "Presonus Eris E3.5 BT",
    "Ideal",
};

const StudioModel studioTable[studioCount] = {
    // menu label                            decay   damping late    gain
    { "Perfect Diffusion Large Studio 1",  100.0f, 0.8f, 0.5f, 0.01f },
    { "Warm Diffusion Large Studio 2",     100.0f, 0.4f, 0.0f, 0.01f },
    { "Perfect Diffusion Medium Studio 1", 200.0f, 0.8f, 0.5f, 0.01f },
    { "Warm Diffusion Medium Studio 2",    200.0f, 0.4f, 0.0f, 0.01f },
    { "Perfect Diffusion Dry Studio 1",    400.0f, 0.8f, 0.5f, 0.01f },
    { "Warm Diffusion Dry Studio 2",       400.0f, 0.4f, 0.0f, 0.01f },
    { "Anechoic chamber",                  100.0f, 1.0f, 1.0f, 0.0f },
};

namespace
{
int clampRow(int row, int count)
{
    return row < 0 ? 0 : (row >= count ? count - 1 : row);
}
} // namespace

float clampParameter(float v)
{
    if (!(v > 0.0f)) // NaN and negatives
        return 0.0f;
    return v > 1.0f ? 1.0f : v;
}

// The products stay in float: a double literal would promote the sum and
// bring some menu items back one row low.
int decodeSelector(float v)
{
    return static_cast<int>(clampParameter(v) * 2.0f);
}

int decodeWornHeadphoneRow(float v)
{
    return clampHeadphoneRow(static_cast<int>(clampParameter(v) * 1000.0f));
}

int decodeEmulatedHeadphoneRow(float v)
{
    return clampHeadphoneRow(static_cast<int>(clampParameter(v) * 1000.0f + 0.49f));
}

int decodeMonitorRow(float v)
{
    return clampMonitorRow(static_cast<int>(clampParameter(v) * 100.0f + 0.49f));
}

int decodeStudioIndex(float v)
{
    return clampStudioIndex(static_cast<int>(clampParameter(v) * 100.0f + 0.49f));
}

int decodeListener(float v)
{
    return static_cast<int>(clampParameter(v) * 100.0f + 0.5f);
}

int clampHeadphoneRow(int row) { return clampRow(row, headphoneModelCount); }
int clampMonitorRow(int row) { return clampRow(row, monitorTableCount); }
int clampStudioIndex(int index) { return clampRow(index, studioCount); }

} // namespace datafiles
