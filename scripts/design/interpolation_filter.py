#!/usr/bin/python3
# Designs the 8th-order recursive low-pass of the 4x interpolation stage.
# Elliptic, 0.05 dB ripple, 80 dB stop band, pass-band edge 20.5 kHz at a
# 4x rate of 192 kHz (normalised 0.2135). The feedback coefficients are
# rounded to float first, then the feed-forward ones are scaled so that
# the float filter has unity gain at DC (the zero-stuffed input keeps 1/4
# of the level; the chain's fixed gains account for that).
# Needs python3-scipy. Prints the C++ initialisers.
import numpy as np
from scipy import signal

b, a = signal.ellip(8, 0.05, 80, 20.5e3 / 96e3)
a32 = np.float32(a).astype(np.float64)
b = b * (np.sum(a32) / np.sum(b))
b32 = np.float32(b).astype(np.float64)
dc = np.sum(b32) / np.sum(a32)
print('// DC gain of the float filter: %.9f' % dc)
print('feedForward = {' + ', '.join('%.17g' % v for v in b) + '};')
print('feedback = {' + ', '.join('%.17g' % -v for v in a[1:]) + '};')
w, h = signal.freqz(b32, a32, worN=np.array([0, 10e3, 20e3, 24e3, 28e3, 40e3, 76e3]) / 96e3 * np.pi)
print('// gains in dB at 0, 10, 20, 24, 28, 40, 76 kHz (192 kHz rate):',
      ' '.join('%.2f' % v for v in 20 * np.log10(np.abs(h))))
