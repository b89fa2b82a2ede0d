#version 330 core
// Brightness and contrast around mid-grey: identity at brightness 0 and
// contrast 1.
in vec2 vUV;
out vec4 fragColor;

uniform sampler2D inputTexture0;
uniform float brightness;
uniform float contrast;

void main()
{
    vec4 c = texture(inputTexture0, vUV);
    fragColor = vec4((c.rgb - 0.5) * contrast + 0.5 + brightness, c.a);
}
