#version 330 core
// A Laplacian level: the finer Gaussian level less the coarser one
// enlarged, stored around 0.5 so that an offset image's offset cancels.
in vec2 vUV;
out vec4 fragColor;

uniform sampler2D fine;
uniform sampler2D coarse;

void main()
{
    fragColor = texelFetch(fine, ivec2(gl_FragCoord.xy), 0) - texture(coarse, vUV) + 0.5;
}
