// Navigation data: angles, archive tables and the flight plan reader.
