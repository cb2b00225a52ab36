# The replay of the fuzz targets' corpora, built with the rest.
