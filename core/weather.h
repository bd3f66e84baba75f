#pragma once

// Wind chill index in degrees C for a wind speed in m/s and an air temperature in degrees C;
// never above the air temperature. A negative speed counts as calm, and a result beyond
// float's range is held at its largest finite value.
float WindChill(float speed, float temperature);

// Beaufort number 0..12 of a wind speed in m/s: the highest band whose lower bound is not
// above the speed; negative speeds give 0, speeds above 40.8 give 12.
float BeaufortNumber(float speed);
