// Generated from talker.asm by the build (scripts/update-images.sh copies it here): do not edit.
#include "link/talker_image.h"

namespace tessaline {

const char* const TalkerImageHex = "FFCE1000DCFEA72BE72D6F358E00E87E00EF86038D4020F70F31313C3C3C3637"
                                   "07368D278D30165AC10522138D1D5D27485A275A5A27345A27D85A2758204330"
                                   "8C00E927C73B8D01178D0BB6102E842027F9B6102F397D102E2AFBB7102F3916"
                                   "8DE997E98DE597EADEE93930C6093A35EC078DD2CC00EFED07308F8DC930C609"
                                   "20028DDBA6008DC1085A26F820B1C6098DD03520028DC88DB2378D0D33A6008D"
                                   "B5085A26F28DA42096C6168D02C602F7103BA7005CF7103B18DEFC180926FC7F"
                                   "103B3900007E00210000000000000000003300023B0B27000000000000000000"
                                   "0000000000000000000000003B00003BCE00EF9D177E00117E001100000B2733"
                                   "2C";

} // namespace tessaline
